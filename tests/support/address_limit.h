// Lowers this process's address-space limit to what it maps now plus `room`
// bytes while the object lives, so that a large allocation fails for real.
// POSIX only: Windows has no such limit.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

class AddressLimit {
public:
    explicit AddressLimit(long room)
    {
        long pages = 0;
        FILE *statm = fopen("/proc/self/statm", "r");
        ok_ = statm && fscanf(statm, "%ld", &pages) == 1 && getrlimit(RLIMIT_AS, &old_) == 0;
        if (statm)
            fclose(statm);
        rlimit lower = old_;
        lower.rlim_cur = (rlim_t)pages * (rlim_t)sysconf(_SC_PAGESIZE) + (rlim_t)room;
        ok_ = ok_ && setrlimit(RLIMIT_AS, &lower) == 0;
    }
    ~AddressLimit()
    {
        if (ok_)
            setrlimit(RLIMIT_AS, &old_);
    }
    AddressLimit(const AddressLimit &) = delete;
    AddressLimit &operator=(const AddressLimit &) = delete;
    bool ok() const { return ok_; }

private:
    rlimit old_ = {};
    bool ok_ = false;
};
