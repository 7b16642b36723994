// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QTest>
#include <array>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// Skips a test whose tool (sox) or font (IPAGothic) is missing on this
// machine, saying where it comes from, rather than failing for it.
#define REQUIRE(missing, what)                                                                 \
    if (missing)                                                                               \
    QSKIP(what " is missing: scripts/deps --test installs it")

// Declares the columns of a data table: Columns<QString, int>({"text", "value"}).
template <typename... T> void Columns(const std::array<const char*, sizeof...(T)>& names) {
    size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
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

// While it lives, `path` has only the permissions given (read-only by default),
// and they hold for this thread even when the tests run as root.
class Restricted {
public:
    explicit Restricted(QString path,
                        QFile::Permissions allowed = QFile::ReadOwner | QFile::ExeOwner)
        : path_(std::move(path)), before_(QFile::permissions(path_)) {
        QFile::setPermissions(path_, allowed);
        SetOverride(false);
    }
    ~Restricted() {
        SetOverride(true);
        QFile::setPermissions(path_, before_);
    }

private:
    // Root's power to bypass permission bits, out of or back into the effective set.
    static void SetOverride(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        syscall(SYS_capget, &header, data);
        const __u32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective =
            on ? data[0].effective | (data[0].permitted & bits) : data[0].effective & ~bits;
        syscall(SYS_capset, &header, data);
    }

    QString path_;
    QFile::Permissions before_;
};
