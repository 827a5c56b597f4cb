#include "printjobs.h"

#ifndef _WIN32
#include <cups/cups.h>
#endif

namespace calvorigne {

bool jobAccepted(const QString& printer, const QString& title)
{
#ifdef _WIN32
    Q_UNUSED(printer);
    Q_UNUSED(title);
    return true;
#else
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    bool accepted = false;
    const QByteArray wanted = title.toUtf8();
    for (int i = 0; i < count && !accepted; ++i)
        accepted = wanted == jobs[i].title && jobs[i].state != IPP_JSTATE_ABORTED
                   && jobs[i].state != IPP_JSTATE_CANCELED;
    cupsFreeJobs(count, jobs);
    return accepted;
#endif
}

} // namespace calvorigne
