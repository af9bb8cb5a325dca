// One owner template for every handle the program holds: each handle type is
// one line naming its close function and its "empty" value. Files and ports
// are empty at INVALID_HANDLE_VALUE, threads, events and GDI objects at null,
// and mixing the two up is how handles leak or get closed twice.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

template <typename T, auto Close, uintptr_t EmptyValue = 0>
class UniqueAny {
  public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    ~UniqueAny() { reset(); }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    static T empty() { return reinterpret_cast<T>(EmptyValue); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != empty(); }

    // Closes what is held and holds `value` instead.
    void reset(T value = empty()) {
        const T previous = std::exchange(value_, value);
        if (previous != empty())
            Close(previous);
    }
    // Gives up ownership without closing.
    T release() { return std::exchange(value_, empty()); }

  private:
    T value_ = empty();
};

using UniqueHandle = UniqueAny<HANDLE, &CloseHandle>;                            // threads, events
using UniqueFile = UniqueAny<HANDLE, &CloseHandle, static_cast<uintptr_t>(-1)>;  // files, ports
template <typename T>
using UniqueGdi = UniqueAny<T, &DeleteObject>;  // bitmaps, brushes, pens, fonts
using UniqueDc = UniqueAny<HDC, &DeleteDC>;     // memory DCs
