// Arbitrary bit rates on Linux go through termios2/BOTHER, whose kernel header clashes with
// the C library's <termios.h>; hence this separate translation unit.
#if defined(__linux__)
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

// Returns 0 or an errno value.
int SetPosixCustomBaud(int fd, int rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = static_cast<speed_t>(rate);
    tio.c_ospeed = static_cast<speed_t>(rate);
    if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
    return 0;
}
#endif
