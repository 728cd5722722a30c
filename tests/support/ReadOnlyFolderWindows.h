// A folder whose permissions do not let the user add a file, as Program Files is for a standard
// user. Under Wine a folder's Unix permissions decide this, and a Windows program cannot change
// them (Wine ignores a folder's access control list), so there the test bench makes the folder
// (SERKON_TEST_READ_ONLY_FOLDER, mode 0555); on Windows itself the folder gets an access control
// list that lets everyone read it and nothing more.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

class ReadOnlyFolder {
public:
    ReadOnlyFolder()
    {
#ifdef SERKON_TEST_READ_ONLY_FOLDER
        path_ = QFileInfo(QStringLiteral(SERKON_TEST_READ_ONLY_FOLDER)).absoluteFilePath();
#else
        path_ = base_.filePath(QStringLiteral("read-only"));
        if (QDir().mkpath(path_) && !DenyAddingFiles(path_))
            path_.clear();
#endif
    }

    // Empty when no such folder could be made.
    QString Path() const { return path_; }

private:
    static bool DenyAddingFiles(const QString& path)
    {
        // Everyone: FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, nothing inherited.
        PSECURITY_DESCRIPTOR security = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;OICI;0x1200a9;;;WD)",
                                                                  SDDL_REVISION_1, &security, nullptr))
            return false;
        BOOL present = FALSE;
        BOOL defaulted = FALSE;
        PACL dacl = nullptr;
        const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
        const bool denied = GetSecurityDescriptorDacl(security, &present, &dacl, &defaulted)
            && SetNamedSecurityInfoW(const_cast<wchar_t*>(name.c_str()), SE_FILE_OBJECT,
                                     DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, dacl, nullptr)
                == ERROR_SUCCESS;
        LocalFree(security);
        return denied;
    }

    QTemporaryDir base_;
    QString path_;
};
