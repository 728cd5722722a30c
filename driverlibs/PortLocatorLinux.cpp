#include "PortLocator.h"
#include "PortLocatorLinux.h"

#include "DriverCodes.h"
#include "UserFolder.h"

#include <libserialport.h>

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace driverlib {

namespace fs = std::filesystem;

namespace {

std::optional<unsigned> ReadHexFile(const fs::path& path)
{
    std::ifstream file(path);
    std::string text;
    if (!(file >> text))
        return std::nullopt;
    try {
        return unsigned(std::stoul(text, nullptr, 16));
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<std::string> LowestTtyBelow(const fs::path& device)
{
    std::error_code error;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(device / "tty", error))
        names.push_back(entry.path().filename().string());
    if (names.empty())
        return std::nullopt;
    return "/dev/" + *std::min_element(names.begin(), names.end(), TtyNameLess);
}

bool IsPciCard(const fs::path& device)
{
    return ReadHexFile(device / "vendor") == PciCardVendorId
        && ReadHexFile(device / "device") == PciCardDeviceId;
}

std::string Text(const char* maybe)
{
    return maybe ? std::string(maybe) : std::string();
}

// A real folder, no symbolic link, of the user's own, that no group or other user may write.
bool IsPrivateFolder(const std::string& folder)
{
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// ports/<name>, or nothing (the interface's default device), or the code why ports/ is no
// place to take a link from.
int32_t PortOverride(const std::string& name, std::optional<std::string>& link)
{
    const std::string libraries = LibraryDirectory();
    return FindPortLink(UserFilesDirectory(libraries), libraries, name, link);
}

} // namespace

std::string LibraryDirectory()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) && info.dli_fname) {
        std::error_code error;
        const fs::path library = fs::absolute(info.dli_fname, error);
        if (!error)
            return library.parent_path().string();
    }
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path().string();
}

std::string PortsDirectory()
{
    const std::string directory = UserFilesDirectory(LibraryDirectory());
    return directory.empty() ? std::string() : directory + "/ports";
}

int32_t FindPortLink(const std::string& userFiles, const std::string& libraries,
                     const std::string& name, std::optional<std::string>& link)
{
    link.reset();
    if (userFiles.empty())
        return Ok;
    const std::string ports = userFiles + "/ports";
    const std::string path = ports + '/' + name;
    std::error_code error;
    if (fs::symlink_status(path, error).type() == fs::file_type::not_found)
        return Ok;
    if (userFiles != libraries && !(IsPrivateFolder(userFiles) && IsPrivateFolder(ports)))
        return PortLinksUntrusted;
    link = path;
    return Ok;
}

bool ValidComNumber(int comNumber)
{
    return comNumber >= 1;
}

int32_t LocateComPort(int comNumber, std::string& path)
{
    std::optional<std::string> link;
    if (const int32_t code = PortOverride("com" + std::to_string(comNumber), link); code != Ok)
        return code;
    path = link.value_or("/dev/ttyS" + std::to_string(comNumber - 1));
    return Ok;
}

std::vector<SerialPortEntry> ListSerialPorts()
{
    std::vector<SerialPortEntry> found;
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK)
        return found;
    for (sp_port** port = ports; *port; ++port) {
        SerialPortEntry entry;
        entry.path = Text(sp_get_port_name(*port));
        entry.description = Text(sp_get_port_description(*port));
        if (sp_get_port_transport(*port) == SP_TRANSPORT_USB) {
            UsbSerialPort usb;
            usb.path = entry.path;
            sp_get_port_usb_vid_pid(*port, &usb.vendorId, &usb.productId);
            usb.product = Text(sp_get_port_usb_product(*port));
            usb.serialNumber = Text(sp_get_port_usb_serial(*port));
            entry.usb = usb;
            entry.manufacturer = Text(sp_get_port_usb_manufacturer(*port));
        }
        found.push_back(entry);
    }
    sp_free_port_list(ports);
    return found;
}

int32_t LocateUsbConverter(std::string& path)
{
    std::optional<std::string> link;
    if (const int32_t code = PortOverride("usb", link); code != Ok)
        return code;
    if (link) {
        path = *link;
        return Ok;
    }
    UsbConverterChoice choice = ChooseUsbConverter(ListUsbSerialPorts());
    path = std::move(choice.path);
    return choice.code;
}

std::optional<std::string> FindPciCardTty(const std::string& sysfsRoot)
{
    std::error_code error;
    std::vector<fs::path> cards;
    for (const auto& entry : fs::directory_iterator(fs::path(sysfsRoot) / "bus/pci/devices", error))
        if (IsPciCard(entry.path()))
            cards.push_back(entry.path());
    std::sort(cards.begin(), cards.end());
    for (const fs::path& card : cards)
        if (auto tty = LowestTtyBelow(card))
            return tty;
    return std::nullopt;
}

int32_t LocatePciCard(std::string& path)
{
    std::optional<std::string> found;
    if (const int32_t code = PortOverride("pci", found); code != Ok)
        return code;
    if (!found)
        found = FindPciCardTty("/sys");
    if (!found)
        return PciCardNotFound;
    path = *found;
    return Ok;
}

} // namespace driverlib
