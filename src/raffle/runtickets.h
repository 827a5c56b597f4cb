// A run's tickets for the register, read off its plan: each booklet as the run's booklet list
// numbers it, and the numbers as the run printed them.
#pragma once

#include "print/plan.h"
#include "raffle/types.h"

namespace calvorigne {

RunTickets runTickets(const PrintPlan& plan, const QDateTime& at);

} // namespace calvorigne
