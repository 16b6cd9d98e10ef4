// A build without the wxWidgets windows: the terminal serves alone.
#include "ui/Frontend.h"

bool StartWxFrontend(int&, char**) { return false; }
void StopWxFrontend() {}
std::unique_ptr<Frontend> MakeWxFrontend() { return nullptr; }

bool WindowDisplayPresent() { return false; }
bool StartWindowFrontend(int&, char**) { return false; }
void StopWindowFrontend() {}
std::unique_ptr<Frontend> MakeWindowFrontend() { return nullptr; }
