// WinSock for the port check and the host's names; the shell for URLs.
// winsock2.h must come before windows.h, and shellapi.h after it.
#include <winsock2.h>

#include <windows.h>

#include <shellapi.h>

#include "launcher_seams.h"

namespace platform::win32 {

ErrorCode Win32Network::startup(int major, int minor) {
    WSADATA data{};
    return static_cast<ErrorCode>(
        ::WSAStartup(MAKEWORD(static_cast<BYTE>(major), static_cast<BYTE>(minor)), &data));
}

void Win32Network::cleanup() {
    ::WSACleanup();
}

ErrorCode Win32Network::tryBind(const std::string& address, std::uint16_t port) {
    const SOCKET handle = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (handle == INVALID_SOCKET) return static_cast<ErrorCode>(::WSAGetLastError());
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = ::htons(port);
    where.sin_addr.s_addr = ::inet_addr(address.c_str());
    const bool bound = ::bind(handle, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
    const ErrorCode error = bound ? winerr::success : static_cast<ErrorCode>(::WSAGetLastError());
    ::closesocket(handle);
    return error;
}

Result<std::string> Win32Network::hostName(std::size_t bufferSize) {
    std::string buffer(bufferSize + 1, '\0');
    if (::gethostname(&buffer[0], static_cast<int>(bufferSize)) != 0)
        return Result<std::string>::failure(static_cast<ErrorCode>(::WSAGetLastError()));
    return {buffer.substr(0, buffer.find('\0')), winerr::success};
}

Result<std::vector<std::string>> Win32Network::hostAddresses(const std::string& hostName) {
    const hostent* host = ::gethostbyname(hostName.c_str());
    if (!host || host->h_addrtype != AF_INET)
        return Result<std::vector<std::string>>::failure(
            static_cast<ErrorCode>(::WSAGetLastError()));
    std::vector<std::string> addresses;
    for (char** entry = host->h_addr_list; *entry; ++entry) {
        in_addr address{};
        memcpy(&address, *entry, sizeof address);
        addresses.push_back(::inet_ntoa(address));
    }
    return {addresses, winerr::success};
}

std::intptr_t Win32Shell::openInExplorer(std::uintptr_t ownerWindow, const std::string& url) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(reinterpret_cast<HWND>(ownerWindow),
                                                           "open", "explorer", url.c_str(), nullptr,
                                                           SW_SHOWNORMAL));
}

}  // namespace platform::win32
