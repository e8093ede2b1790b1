// PURPOSE: what the shell opens for an install script's steps, watched from
// the tests: the file manager's folder windows, and a stand-in program
// (shell_handler.exe) registered for a document type and for https.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Visible folder windows of the file manager (Wine's explorer: class
// ExplorerWClass, its title the folder's name) titled title.
std::vector<HWND> FolderWindows(const std::string& title);
HWND WaitForFolderWindow(const std::string& title, DWORD timeoutMs);
// Closes them as the user would and waits for their processes to end
// (terminating one that does not).
void CloseFolderWindows(const std::string& title);

// For a launcher that would wait on a folder window: after delayMs the
// folder windows titled title are closed, so that such a wait ends and the
// test fails on its figures instead of hanging. closedAny() tells whether
// there was a window to close by then.
class LateFolderCloser {
public:
    LateFolderCloser(const std::string& title, DWORD delayMs);
    ~LateFolderCloser();
    bool closedAny() const { return closedAny_ != 0; }

private:
    static DWORD WINAPI Run(void* self);
    std::string title_;
    DWORD delayMs_;
    HANDLE stop_;
    HANDLE thread_;
    volatile LONG closedAny_ = 0;
};

// What shell_handler.exe logged for one start.
struct HandlerStart {
    DWORD processId;
    std::string directory;     // its current directory
    std::string commandLine;   // as the shell formed it
};

// While in scope, the shell starts shell_handler.exe (beside the test
// program) for documents of the extension kDocumentExtension and for https
// addresses; the prefix's own https entry is put back afterwards. The
// handlers stay until Release() (or the end of the scope).
class RegisteredHandler {
public:
    static const char* const kDocumentExtension;   // ".stepdoc"
    RegisteredHandler();
    ~RegisteredHandler();
    // Every start logged so far, in order.
    std::vector<HandlerStart> Starts() const;
    bool WaitForStarts(size_t count, DWORD timeoutMs) const;
    // Whether the handler with this id has logged its end.
    bool Ended(DWORD processId) const;
    // Lets every handler end and waits until each has logged it.
    void Release();

private:
    std::string log_;
    HANDLE release_;
    bool hadHttps_ = false;
    std::string savedHttps_;
};
