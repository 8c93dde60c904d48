// ut.cpp - the host double's libut: a pending interrupt, and MATLAB's check of it.
#include "ut.h"

#include <atomic>

namespace {

std::atomic<bool> gInterruptPending{false};

}  // namespace

extern "C" bool utIsInterruptPending(void) { return gInterruptPending.load(); }

namespace hostdouble {

void setInterruptPending(bool pending) { gInterruptPending.store(pending); }

}  // namespace hostdouble
