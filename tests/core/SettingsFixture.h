// A settings file of a test's own in a temporary folder, and the default record to store in it.
#pragma once

#include "core/Cp1250.h"
#include "core/Records.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline QByteArray Cp(const char* utf8)
{
    return EncodeCp1250(QString::fromUtf8(utf8));
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("SERKON.ini");
        InitData(data);
    }

    void Write(const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray Read() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList FilesInDir() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir;
    QString path;
    TData data;
};
