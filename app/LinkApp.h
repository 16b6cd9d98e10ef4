// The application object: a one-shot linkage run inside InitInstance.
//
// The host (the accounting product) starts the program for the company
// data the user has open.  InitInstance connects to the platform, reads the
// command line and disables the host window, checks the environment, asks
// whether the link may run, fetches the selected data and runs the
// aggregation.  ExitInstance, which follows on every path, frees the run's
// records, disconnects and tells the host the result.
#pragma once

#include <string>

#include "compat/winapp.h"
#include "deprec/SisanRecords.h"
#include "platform/records.h"

// Result codes posted to the host as lParam.
constexpr int LINK_RESULT_DONE = 0;
constexpr int LINK_RESULT_NOT_PERFORMED = 1;
constexpr int LINK_RESULT_FAILED = 2;

class CLinkApp : public CWinApp {
public:
    CLinkApp();
    ~CLinkApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    int ParseCommandLine(const char* text);
    int GetSelectedDataInfo(StDATAINFO* out);
    int CheckEnvironment(int showMessage);

    int m_bFromHost = 0;
    HWND m_hHostWnd = nullptr;
    int32_t m_nNotifyMsg = 0;
    int16_t m_nFunctionId = 2;
    std::string m_strHostPath;
    HWND m_pHostWnd = nullptr;
    int m_nResult = LINK_RESULT_DONE;
    SisanRecList m_listAssets;
    SisanDataList m_listOutput;

private:
    BOOL RunSteps();
    BOOL RunAggregation(StDATAINFO* dataInfo);
};

// The buffer the command line is parsed in; a longer text is refused.
constexpr size_t LINK_CMDLINE_BUFFER = 260;
