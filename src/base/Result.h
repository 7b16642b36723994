// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <utility>

// Why an operation failed: a few words for standard error, and the system's
// error number when the system gave one. Refused: it was not even tried,
// so as not to destroy what it could not read.
struct Failure {
    QString Why;
    int Error = 0;
    bool Refused = false;
};

// A value, or the failure that kept it from being made.
template <typename T> class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : failure_(std::move(failure)) {}

    explicit operator bool() const { return value_.has_value(); }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return &*value_; }
    const Failure& Error() const { return failure_; }

private:
    std::optional<T> value_;
    Failure failure_;
};

// What an operation that makes nothing gives when it succeeds.
struct Done {};
using Status = Result<Done>;
