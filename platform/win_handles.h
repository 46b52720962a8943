// Scope-only owners of Win32 handles. Long-lived handles stay plain fields.
#pragma once

#include <windows.h>

struct ScopedHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE h) : handle(h) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { reset(); }
    bool valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) CloseHandle(handle);
        handle = h;
    }
    HANDLE release() {
        HANDLE h = handle;
        handle = INVALID_HANDLE_VALUE;
        return h;
    }
};

struct ScopedRegKey {
    HKEY key = nullptr;
    ScopedRegKey() = default;
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    ~ScopedRegKey() {
        if (key) RegCloseKey(key);
    }
};

template <typename T>
struct ScopedGdiObject {
    T object = nullptr;
    explicit ScopedGdiObject(T o) : object(o) {}
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ~ScopedGdiObject() {
        if (object) DeleteObject(object);
    }
};

template <typename T>
struct ScopedComPtr {
    T* ptr = nullptr;
    ScopedComPtr() = default;
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;
    ~ScopedComPtr() {
        if (ptr) ptr->Release();
    }
    T* operator->() const { return ptr; }
    T** out() { return &ptr; }
};

// Memory committed in another process, for messages whose arguments are pointers.
struct ScopedRemoteMemory {
    HANDLE process;
    void* address;
    ScopedRemoteMemory(HANDLE p, size_t size) : process(p) {
        address = VirtualAllocEx(p, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ScopedRemoteMemory(const ScopedRemoteMemory&) = delete;
    ScopedRemoteMemory& operator=(const ScopedRemoteMemory&) = delete;
    ~ScopedRemoteMemory() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
};

// A memory device context like the given one (the screen's with null).
struct ScopedMemoryDC {
    HDC dc;
    explicit ScopedMemoryDC(HDC like) : dc(CreateCompatibleDC(like)) {}
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    ~ScopedMemoryDC() {
        if (dc) DeleteDC(dc);
    }
};

// A window's device context (the screen's with null), released at scope end.
struct ScopedWindowDC {
    HWND window;
    HDC dc;
    explicit ScopedWindowDC(HWND w) : window(w), dc(GetDC(w)) {}
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    ~ScopedWindowDC() {
        if (dc) ReleaseDC(window, dc);
    }
};

struct ScopedSelectObject {
    HDC dc;
    HGDIOBJ previous;
    ScopedSelectObject(HDC d, HGDIOBJ o) : dc(d), previous(SelectObject(d, o)) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() { SelectObject(dc, previous); }
};
