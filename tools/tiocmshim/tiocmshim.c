/*
 * LD_PRELOAD shim for running Wine against pseudo-terminals.
 *
 * Wine's WaitCommEvent polls the modem lines with TIOCMGET. A pty has no modem
 * lines, so the call fails, the wait returns at once with an empty mask and a
 * comm-event loop spins. This shim answers the modem-line requests on pty
 * descriptors with a steady line state, so the wait sleeps until data arrives.
 * Every other request, and every other device, goes to the real ioctl.
 *
 * Debian's 32-bit glibc routes ioctl through __ioctl_time64, so both symbols are
 * replaced.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int modem_lines = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;

static int is_pty(int fd) {
    struct stat st;
    /* Unix98 pty slaves use majors 136-143, the multiplexer /dev/ptmx is 5:2. */
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) &&
           ((major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143) ||
            (major(st.st_rdev) == 5 && minor(st.st_rdev) == 2));
}

static int is_modem_request(unsigned long request) {
    return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

static int answer_modem_request(unsigned long request, int* lines) {
    if (lines == 0) {
        errno = EFAULT;
        return -1;
    }
    if (request == TIOCMGET) {
        *lines = modem_lines;
    } else if (request == TIOCMSET) {
        modem_lines = *lines;
    } else if (request == TIOCMBIS) {
        modem_lines |= *lines;
    } else {
        modem_lines &= ~*lines;
    }
    return 0;
}

static int forward(const char* name, int fd, unsigned long request, void* arg) {
    ioctl_fn real = (ioctl_fn)dlsym(RTLD_NEXT, name);
    if (real == 0) {
        real = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    }
    return real(fd, request, arg);
}

static int shim(const char* name, int fd, unsigned long request, void* arg) {
    if (is_modem_request(request) && is_pty(fd)) {
        return answer_modem_request(request, (int*)arg);
    }
    return forward(name, fd, request, arg);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return shim("ioctl", fd, request, arg);
}

int __ioctl_time64(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return shim("__ioctl_time64", fd, request, arg);
}
