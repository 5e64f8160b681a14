#pragma once
// A listening WinSock socket on an address and a port of the system's choice,
// held for the object's life.
#include <winsock2.h>

#include <string>

namespace winesupport {

class PortListener {
public:
    explicit PortListener(const char* address) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = ::inet_addr(address);
        int size = sizeof where;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&where), sizeof where);
        ::listen(socket_, 1);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&where), &size);
        port_ = ntohs(where.sin_port);
    }
    ~PortListener() {
        ::closesocket(socket_);
        ::WSACleanup();
    }
    PortListener(const PortListener&) = delete;
    PortListener& operator=(const PortListener&) = delete;
    unsigned short port() const { return port_; }

private:
    SOCKET socket_ = INVALID_SOCKET;
    unsigned short port_ = 0;
};

}  // namespace winesupport
