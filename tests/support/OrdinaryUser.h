#pragma once
// Root writes whatever the permission bits say: while an OrdinaryUser lives, a test
// run as root has the rights of the user "nobody" (real and effective ids alike, so
// that access() agrees with open()), and gets its own back afterwards. Run as anyone
// else, it changes nothing.
#include <QtGlobal>

#include <unistd.h>

class OrdinaryUser {
  public:
    OrdinaryUser() : m_switched(::geteuid() == 0) {
        if (m_switched && (::setresgid(65534, 65534, 0) != 0 || ::setresuid(65534, 65534, 0) != 0))
            qFatal("cannot take the rights of the user nobody");
    }
    ~OrdinaryUser() {
        if (m_switched && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            qFatal("cannot become root again");
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

  private:
    bool m_switched;
};
