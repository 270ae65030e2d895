/*
 * The part of the Windows API that the module uses.
 *
 * On Windows this is <windows.h> itself. On POSIX the module is built against the same names: the types are
 * declared here and the functions are imported as undefined C symbols, resolved at load time against the
 * process that hosts the module (the stand-in host exports them), just as kernel32 and user32 are on Windows.
 *
 * The module keeps UTF-16 text as char16_t. On Windows, where WCHAR is wchar_t, the Mirel* wrappers at the
 * end convert the pointer type; that is the only place where the two differ.
 */
#ifndef MIREL_PLATFORM_WIN32_SUBSET_H
#define MIREL_PLATFORM_WIN32_SUBSET_H

#include <stdint.h>

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#else /* POSIX */

#ifdef __cplusplus
extern "C" {
#endif

typedef struct HWND__* HWND;
typedef struct HMODULE__* HMODULE;
typedef intptr_t (*FARPROC)(void);
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef char16_t WCHAR;

typedef struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} RECT;

typedef struct tagPOINT {
    int32_t x;
    int32_t y;
} POINT;

typedef struct tagMINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
} MINMAXINFO;

typedef struct tagNMHDR {
    HWND hwndFrom;
    uintptr_t idFrom;
    uint32_t code;
} NMHDR;

#define TRUE 1
#define FALSE 0

#define MB_OK 0x00000000u
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2

#define WM_SIZE 0x0005u
#define WM_ACTIVATE 0x0006u
#define WM_CLOSE 0x0010u
#define WM_SHOWWINDOW 0x0018u
#define WM_GETMINMAXINFO 0x0024u
#define WM_WINDOWPOSCHANGING 0x0046u
#define WM_NOTIFY 0x004Eu
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_TIMER 0x0113u

#define CB_GETCOUNT 0x0146u
#define CB_GETCURSEL 0x0147u
#define CB_GETLBTEXT 0x0148u
#define CB_GETLBTEXTLEN 0x0149u
#define CB_ADDSTRING 0x0143u
#define CB_RESETCONTENT 0x014Bu
#define CB_SETCURSEL 0x014Eu
#define CB_ERR (-1)

#define BN_CLICKED 0
#define SW_HIDE 0
#define SW_SHOW 5

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOACTIVATE 0x0010u

HMODULE GetModuleHandleA(const char* moduleName);
FARPROC GetProcAddress(HMODULE module, const char* procName);

int32_t MessageBoxW(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type);
HWND GetDlgItem(HWND dialog, int32_t itemID);
LRESULT SendDlgItemMessageA(HWND dialog, int32_t itemID, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendDlgItemMessageW(HWND dialog, int32_t itemID, UINT message, WPARAM wParam, LPARAM lParam);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL IsWindowEnabled(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL ShowWindow(HWND window, int32_t command);
BOOL IsWindowVisible(HWND window);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy, UINT flags);
HWND GetParent(HWND window);
HWND GetActiveWindow(void);
HWND SetActiveWindow(HWND window);

#ifdef __cplusplus
}
#endif

#endif /* _WIN32 */

#ifdef __cplusplus
/* UTF-16 at the platform edge: char16_t inside the module, WCHAR for the system. */
inline int32_t MirelMessageBox(HWND owner, const char16_t* text, const char16_t* caption, UINT type) {
    return MessageBoxW(owner, reinterpret_cast<const WCHAR*>(text), reinterpret_cast<const WCHAR*>(caption),
                       type);
}

/* A window as the 32-bit value the host records carry, and back. Window handles are 32-bit values on 64-bit
 * Windows too; like the system's own conversion (LongToHandle), the value is sign-extended to pointer width,
 * so that a handle survives the round trip whatever its top bit. */
inline HWND MirelWindowFromValue(uint32_t value) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}
inline uint32_t MirelWindowValue(HWND window) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}
#endif

#endif /* MIREL_PLATFORM_WIN32_SUBSET_H */
