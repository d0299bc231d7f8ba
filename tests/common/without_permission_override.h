// Makes the permission bits bind the calling thread even when it runs as root, so tests of
// unreadable folders and read-only files run the same for every user (CI runs as root).
#pragma once

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testing_support {

// While alive, the calling thread has no effective CAP_DAC_OVERRIDE or CAP_DAC_READ_SEARCH;
// they come back when it ends (the permitted set keeps them).
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (active_) ::syscall(SYS_capset, &header_, saved_);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// For a child process between fork and exec (a QProcess child process modifier): the program it
// starts has no CAP_DAC_OVERRIDE or CAP_DAC_READ_SEARCH either, even when it runs as root, which
// would otherwise get them back at exec. Only system calls, as a forked child allows.
inline void dropPermissionOverrideAcrossExec() {
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
        ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_LOWER, capability, 0, 0);
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return;
    data[0].inheritable &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    ::syscall(SYS_capset, &header, data);
}

}  // namespace testing_support
