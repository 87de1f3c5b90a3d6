// Helpers for the tests of the auxiliary windows: a GoogleTest main with a
// QApplication, a harmless program that records how it was started, and the
// message boxes a window has open.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Bytes are shown as escaped text.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '"';
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '\r')
            *os << "\\r";
        else if (ch == '\n')
            *os << "\\n";
        else if (b < 0x20 || b >= 0x7F)
            *os << "\\x"
                << "0123456789ABCDEF"[b >> 4] << "0123456789ABCDEF"[b & 15];
        else
            *os << ch;
    }
    *os << '"';
}

namespace zk::test {

// Runs every test inside one QApplication (offscreen unless told otherwise).
inline int runQtTests(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Writes an executable shell script at `path` that writes its arguments, one
// per line, to `marker` (atomically, so a reader never sees half of it);
// with `variable`, a last line "NAME=value" of that environment variable.
inline bool writeMarkerProgram(const QString& path, const QString& marker, const QByteArray& variable = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray m = QFile::encodeName(marker);
    const QByteArray env = variable.isEmpty()
                               ? QByteArray()
                               : "printf '%s\\n' \"" + variable + "=$" + variable + "\" >> '" + m + ".tmp'\n";
    // The test may have emptied PATH; the script must still find mv.
    file.write("#!/bin/sh\nPATH=/usr/bin:/bin\n"
               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
               m + ".tmp'\n" + env + "mv '" + m + ".tmp' '" + m + "'\n");
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Waits until the marker exists and returns its lines, or an empty list with
// `found` false after the deadline.
inline QStringList waitForMarker(const QString& marker, bool* found = nullptr, int timeoutMs = 20000)
{
    const bool ok = QTest::qWaitFor([&] { return QFile::exists(marker); }, timeoutMs);
    if (found)
        *found = ok;
    QFile file(marker);
    if (!ok || !file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The texts of the message boxes open over `window`; closes them.
inline QStringList takeMessages(QWidget* window)
{
    QStringList texts;
    for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
        if (!box->isVisible())
            continue;
        texts << box->text();
        box->close();
    }
    QApplication::processEvents();
    return texts;
}

} // namespace zk::test
