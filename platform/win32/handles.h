// Owners of Windows handles and COM objects: each releases what it holds.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace platform::win32 {

template <typename T>
T NullValue() { return T{}; }
inline HANDLE InvalidHandleValue() { return INVALID_HANDLE_VALUE; }

// Owns a handle of type T, closed by Close; Invalid gives the "no handle" value.
template <typename T, auto Close, T (*Invalid)() = NullValue<T>>
class Owned {
public:
    explicit Owned(T value = Invalid()) : value_(value) {}
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Invalid())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, Invalid());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid(); }
    void reset() {
        if (value_ != Invalid()) Close(value_);
        value_ = Invalid();
    }

private:
    T value_;
};

using UniqueHandle = Owned<HANDLE, CloseHandle>;
using UniqueFindHandle = Owned<HANDLE, FindClose, InvalidHandleValue>;
using UniqueFileHandle = Owned<HANDLE, CloseHandle, InvalidHandleValue>;
using UniqueModule = Owned<HMODULE, FreeLibrary>;
using UniqueBstr = Owned<BSTR, SysFreeString>;
// Memory the system allocated for the caller with LocalAlloc: security
// descriptors, SID texts.
using UniqueLocalMemory = Owned<HLOCAL, LocalFree>;

// A COM interface pointer that is released when its owner goes.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what was held.
    I** put() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    I* p_ = nullptr;
};

// A VARIANT that is cleared when its owner goes.
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&v_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    VARIANT* operator->() { return &v_; }

private:
    VARIANT v_;
};

}  // namespace platform::win32
