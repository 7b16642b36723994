// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QTest>
#include <array>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <tuple>
#include <unistd.h>
#include <utility>

// Skips a test whose tool (sox) or font (IPAGothic) is missing on this
// machine, saying where it comes from, rather than failing for it.
#define REQUIRE(missing, what)                                                                     \
    if (missing)                                                                                   \
    QSKIP(what " is missing: scripts/deps --test installs it")

// Declares the columns of a data table: Columns<QString, int>({"text", "value"}).
template <typename... T> void Columns(const std::array<const char*, sizeof...(T)>& names) {
    size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// The values of the current row, in the order named: auto [a, b] =
// Fetch<int, QString>({"a", "b"}), as QFETCH would give them one by one.
template <typename... T, size_t... I>
std::tuple<T...> FetchAt(const std::array<const char*, sizeof...(T)>& names,
                         std::index_sequence<I...>) {
    return {*static_cast<T*>(QTest::qData(names[I], qMetaTypeId<T>()))...};
}
template <typename... T>
std::tuple<T...> Fetch(const std::array<const char*, sizeof...(T)>& names) {
    return FetchAt<T...>(names, std::index_sequence_for<T...>{});
}

// One row of a data table, its values in column order.
template <typename... T> void Row(const char* name, const T&... values) {
    (QTest::newRow(name) << ... << values);
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Capabilities in or out of this thread's effective set (where it has them):
// word 0 for capabilities 0 to 31, word 1 for the rest.
inline void SetEffective(int word, __u32 bits, bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    syscall(SYS_capget, &header, data);
    data[word].effective =
        on ? data[word].effective | (data[word].permitted & bits) : data[word].effective & ~bits;
    syscall(SYS_capset, &header, data);
}

// While it lives, `path` has only the permissions given (read-only by default),
// and they hold for this thread even when the tests run as root.
class Restricted {
public:
    explicit Restricted(QString path,
                        QFile::Permissions allowed = QFile::ReadOwner | QFile::ExeOwner)
        : path_(std::move(path)), before_(QFile::permissions(path_)) {
        QFile::setPermissions(path_, allowed);
        SetEffective(0, Override, false);
    }
    ~Restricted() {
        SetEffective(0, Override, true);
        QFile::setPermissions(path_, before_);
    }

private:
    // Root's power to bypass permission bits.
    static constexpr __u32 Override = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    QString path_;
    QFile::Permissions before_;
};
