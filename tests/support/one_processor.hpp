#pragma once
// Keeps the calling thread, and the programs it starts, to the processor it
// runs on, for as long as the guard lives (Linux only).

#include <gtest/gtest.h>

#include <sched.h>

struct on_one_processor {
    cpu_set_t allowed{};
    on_one_processor() {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(::sched_getcpu(), &one);
        if (::sched_getaffinity(0, sizeof allowed, &allowed) != 0 ||
            ::sched_setaffinity(0, sizeof one, &one) != 0)
            ADD_FAILURE() << "cannot keep to one processor";
    }
    on_one_processor(const on_one_processor&) = delete;
    on_one_processor& operator=(const on_one_processor&) = delete;
    ~on_one_processor() { ::sched_setaffinity(0, sizeof allowed, &allowed); }
};
