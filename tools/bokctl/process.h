// What bokctl asks of the system it runs on: its own folder, absolute
// paths, the environment its child sees, and starting the linkage program.
// process.cpp is the POSIX backend, process_win32.cpp the Windows one.
#pragma once

#include <functional>
#include <string>

namespace bokctl {

// The path taken from the current folder when it is relative.
std::string Absolute(const std::string& path);
// The folder of the running program.
std::string SelfFolder();
// Sets a variable for this process and the programs it starts.
void SetEnvironment(const char* name, const std::string& value);
// A number of this process, unique while it runs.
long ProcessNumber();
// The file name of a program built beside others ("DeprLinkStd" or
// "DeprLinkStd.exe").
std::string ProgramFile(const std::string& name);

// Whether program is a file that can be started; false with a message
// when not.
bool Runnable(const std::string& program, std::string* message);
// Starts program with argument (none when null) and waits for it; false
// with a message when it cannot be started.  Reports on standard error
// when the program was ended by a signal.  started, when given, is told
// the program's process number once it runs.  On Windows the wait serves
// the messages of the calling thread's windows.
bool RunAndWait(const std::string& program, const std::string* argument, std::string* message,
                const std::function<void(unsigned long)>& started = {});

}  // namespace bokctl
