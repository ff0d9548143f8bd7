#pragma once
// One owner for every Win32 handle: a move-only wrapper whose traits say
// what "no handle" is and how a handle is released.

#include <windows.h>
#include <commctrl.h>
#include <winsvc.h>

#include <utility>

namespace quillon {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : FHandle(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    [[nodiscard]] Handle get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != Traits::Empty(); }

    // For out-parameters: frees what is held first, then hands out the slot.
    [[nodiscard]] Handle* put() noexcept {
        reset();
        return &FHandle;
    }

    Handle release() noexcept { return std::exchange(FHandle, Traits::Empty()); }

    void reset(Handle h = Traits::Empty()) noexcept {
        Handle old = std::exchange(FHandle, h);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Handle FHandle = Traits::Empty();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::RegCloseKey(h); }
};

struct ServiceHandleTraits {
    using Handle = SC_HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseServiceHandle(h); }
};

// Kernel objects whose failure value is NULL (mutexes, events, threads).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

// Kernel objects whose failure value is INVALID_HANDLE_VALUE (files, Toolhelp
// snapshots).
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::ImageList_Destroy(h); }
};

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};

struct MenuTraits {
    using Handle = HMENU;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyMenu(h); }
};

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteDC(h); }
};

using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueSnapshot = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

}  // namespace quillon
