// A program folder of a test's own: links to the built driver libraries and room for ports/,
// so tests running side by side never share a ports/comN link. The binding loads the
// libraries from here.
#pragma once

#include "core/ProgramDirectory.h"

#include <QString>

#include <filesystem>
#include <string>
#include <unistd.h>

class ProgramFolder {
public:
    ProgramFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "serkon-program-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        for (const char* library : {"libRVS770.so", "libRVA770.so", "libRVB771.so",
                                    "libRVC772.so", "libRVD773.so"})
            std::filesystem::create_symlink(std::filesystem::path(SERKON_DRIVER_DIR) / library,
                                            std::filesystem::path(path_) / library);
        SetProgramDirectory(QString::fromStdString(path_));
    }
    ~ProgramFolder()
    {
        SetProgramDirectory({});
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Port(const std::string& name) const { return path_ + "/ports/" + name; }
    std::string Library(const char* file) const { return path_ + "/" + file; }

private:
    std::string path_;
};
