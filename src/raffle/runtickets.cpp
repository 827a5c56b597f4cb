#include "runtickets.h"

#include "print/booklets.h"

namespace calvorigne {

RunTickets runTickets(const PrintPlan& plan, const QDateTime& at)
{
    RunTickets run{at, plan.model.prefix, plan.model.digits, {}};
    for (const BookletLine& line : bookletList(plan).lines)
        run.booklets.push_back({line.number, qint64(line.first), qint64(line.last)});
    return run;
}

} // namespace calvorigne
