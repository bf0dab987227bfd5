#pragma once
// Basic Windows types and result codes, declared for our own platform layer.
// Values are the documented ones so stored data and log lines keep meaning.
#include <cstdint>
#include <cstddef>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using BOOL = int;
using FLOAT = float;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HRESULT = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HANDLE = void*;
// A window handle; platform/window maps it to its SDL window.
struct HWND__;
using HWND = HWND__*;
using HINSTANCE = void*;
using HMODULE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

// Interface and class identifiers (COM-style).
struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using REFGUID = const GUID&;
using REFIID = const GUID&;

struct SIZE {
    LONG cx;
    LONG cy;
};

// Result codes.
constexpr HRESULT MakeHResult(std::uint32_t v) { return static_cast<HRESULT>(v); }
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL MakeHResult(0x80004005u)
#define E_OUTOFMEMORY MakeHResult(0x8007000Eu)
#define E_INVALIDARG MakeHResult(0x80070057u)
#define E_NOTIMPL MakeHResult(0x80004001u)
#define E_NOINTERFACE MakeHResult(0x80004002u)
#define E_POINTER MakeHResult(0x80004003u)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

// Error codes of GetLastError.
#define ERROR_SUCCESS 0u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_INVALID_HANDLE 6u
#define ERROR_NOT_ENOUGH_MEMORY 8u
#define ERROR_NO_MORE_FILES 18u
#define ERROR_FILE_EXISTS 80u
#define ERROR_ALREADY_EXISTS 183u
