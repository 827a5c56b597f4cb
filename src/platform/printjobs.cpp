#include "printjobs.h"

#include <QFile>

#ifdef _WIN32
#include <windows.h>
#include <winspool.h>
#include <cstring>
#include <map>
#include <span>
#include <vector>
#else
#include <cups/cups.h>
#endif

namespace calvorigne {

#ifdef _WIN32

namespace {

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

QString fromWide(const wchar_t* text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

// One level of information from a spooler call that sizes its buffer first.
template <typename Call>
std::vector<BYTE> spoolerInfo(Call call)
{
    DWORD needed = 0;
    call(nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !call(buffer.data(), needed, &needed))
        buffer.clear();
    return buffer;
}

struct PrinterHandle {
    HANDLE handle = nullptr;
    explicit PrinterHandle(const QString& name)
    {
        if (!OpenPrinterW(const_cast<wchar_t*>(wide(name)), &handle, nullptr))
            handle = nullptr;
    }
    ~PrinterHandle()
    {
        if (handle)
            ClosePrinter(handle);
    }
};

// A job's JOB_INFO_1W, with the texts it points to; empty once the spooler no longer lists it.
std::vector<BYTE> jobInfo(HANDLE queue, int job)
{
    return spoolerInfo([&](BYTE* data, DWORD size, DWORD* needed) {
        return GetJobW(queue, DWORD(job), 1, data, size, needed);
    });
}

// The jobs of a queue, as the spooler lists them; none when it cannot be opened.
struct JobList {
    std::vector<BYTE> buffer;
    std::span<const JOB_INFO_1W> jobs;
    explicit JobList(HANDLE queue)
    {
        DWORD count = 0;
        if (queue)
            buffer = spoolerInfo([&](BYTE* data, DWORD size, DWORD* needed) {
                return EnumJobsW(queue, 0, 0xFFFFFFFF, 1, data, size, needed, &count);
            });
        if (!buffer.empty())
            jobs = {reinterpret_cast<const JOB_INFO_1W*>(buffer.data()), count};
    }
};

} // namespace

std::optional<int> acceptedJob(const QString& printer, const QString& title)
{
    const PrinterHandle queue(printer);
    for (const JOB_INFO_1W& job : JobList(queue.handle).jobs)
        if (fromWide(job.pDocument) == title && !(job.Status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)))
            return int(job.JobId);
    return 0;
}

JobState jobState(const QString& printer, int job)
{
    JobState state;
    if (job <= 0)
        return state;
    const PrinterHandle queue(printer);
    if (!queue.handle) {
        state.stage = JobState::Failed;
        state.reason = QStringLiteral("la file d'impression a été supprimée");
        return state;
    }
    // A job the spooler no longer lists was printed: it forgets them once they are out.
    const std::vector<BYTE> info = jobInfo(queue.handle, job);
    if (info.empty())
        return state;
    const auto& j = *reinterpret_cast<const JOB_INFO_1W*>(info.data());
    const std::vector<BYTE> printerInfo = spoolerInfo([&](BYTE* data, DWORD size, DWORD* needed) {
        return GetPrinterW(queue.handle, 2, data, size, needed);
    });
    const bool paused = !printerInfo.empty()
                        && (reinterpret_cast<const PRINTER_INFO_2W*>(printerInfo.data())->Status & PRINTER_STATUS_PAUSED);
    state.reason = fromWide(j.pStatus);
    state.pagesPrinted = j.TotalPages > 0 ? int(j.PagesPrinted) : -1;
    if (j.Status & (JOB_STATUS_PRINTED | JOB_STATUS_COMPLETE))
        state.stage = JobState::Done;
    else if (j.Status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED))
        state.stage = JobState::Failed;
    else if (j.Status & JOB_STATUS_PAUSED)
        state.stage = JobState::Held;
    else if (paused || (j.Status & (JOB_STATUS_ERROR | JOB_STATUS_OFFLINE | JOB_STATUS_PAPEROUT | JOB_STATUS_BLOCKED_DEVQ
                                     | JOB_STATUS_USER_INTERVENTION)))
        state.stage = JobState::Stopped;
    else if (j.Status & (JOB_STATUS_PRINTING | JOB_STATUS_SPOOLING))
        state.stage = JobState::Printing;
    else
        state.stage = JobState::Queued;
    return state;
}

namespace {

// The spooler's status of a job; nothing once it no longer lists it.
std::optional<DWORD> jobStatus(HANDLE queue, int job)
{
    const std::vector<BYTE> info = jobInfo(queue, job);
    if (info.empty())
        return std::nullopt;
    return reinterpret_cast<const JOB_INFO_1W*>(info.data())->Status;
}

} // namespace

int holdJob(const QString& printer, const QString& title)
{
    const std::optional<int> job = acceptedJob(printer, title);
    const PrinterHandle queue(printer);
    if (!job || *job == 0 || !queue.handle || !SetJobW(queue.handle, DWORD(*job), 0, nullptr, JOB_CONTROL_PAUSE))
        return 0;
    const std::optional<DWORD> status = jobStatus(queue.handle, *job);
    return status && (*status & JOB_STATUS_PAUSED) ? *job : 0;
}

void releaseJob(const QString& printer, int job)
{
    const PrinterHandle queue(printer);
    if (queue.handle)
        SetJobW(queue.handle, DWORD(job), 0, nullptr, JOB_CONTROL_RESUME);
}

bool dropJob(const QString& printer, int job)
{
    const PrinterHandle queue(printer);
    if (!queue.handle || !SetJobW(queue.handle, DWORD(job), 0, nullptr, JOB_CONTROL_DELETE))
        return false;
    const std::optional<DWORD> status = jobStatus(queue.handle, job);
    return !status || (*status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED));
}

bool cancelJobsTitled(const QString& printer, const QString& title)
{
    const PrinterHandle queue(printer);
    bool found = false;
    for (const JOB_INFO_1W& job : JobList(queue.handle).jobs)
        if (fromWide(job.pDocument) == title) {
            found = true;
            SetJobW(queue.handle, job.JobId, 0, nullptr, JOB_CONTROL_DELETE);
        }
    return found;
}

bool unscale(void* settings)
{
    auto* mode = static_cast<DEVMODEW*>(GlobalLock(settings));
    if (!mode)
        return false;
    const bool scaled = (mode->dmFields & DM_SCALE) && mode->dmScale != 100;
    if (scaled)
        mode->dmScale = 100;
    GlobalUnlock(settings);
    return scaled;
}

void* unscaledDefaults(const QString& printer)
{
    // Kept for the program's life: the print engine prints with them as long as it lives.
    static std::map<QString, HGLOBAL> made;
    if (const auto known = made.find(printer); known != made.end())
        return known->second;
    const PrinterHandle queue(printer);
    if (!queue.handle)
        return nullptr;
    const std::vector<BYTE> info = spoolerInfo([&](BYTE* data, DWORD size, DWORD* needed) {
        return GetPrinterW(queue.handle, 2, data, size, needed);
    });
    const DEVMODEW* mode = info.empty() ? nullptr : reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
    if (!mode || !(mode->dmFields & DM_SCALE) || mode->dmScale == 100)
        return nullptr;
    const SIZE_T size = mode->dmSize + mode->dmDriverExtra;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return nullptr;
    std::memcpy(GlobalLock(copy), mode, size);
    GlobalUnlock(copy);
    unscale(copy);
    return made[printer] = copy;
}

#else

std::optional<int> acceptedJob(const QString& printer, const QString& title)
{
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, printer.toUtf8().constData(), 0, CUPS_WHICHJOBS_ALL);
    std::optional<int> accepted;
    const QByteArray wanted = title.toUtf8();
    for (int i = 0; i < count && !accepted; ++i)
        if (wanted == jobs[i].title && jobs[i].state != IPP_JSTATE_ABORTED && jobs[i].state != IPP_JSTATE_CANCELED)
            accepted = jobs[i].id;
    cupsFreeJobs(count, jobs);
    return accepted;
}

JobState jobState(const QString& printer, int job)
{
    JobState state;
    if (job <= 0)
        return state;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    static const char* const wanted[] = {"job-state", "job-impressions-completed", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    const ipp_status_t status = cupsLastError();
    const QByteArray queue = printer.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr);
    if (!response || status == IPP_STATUS_ERROR_NOT_FOUND) {
        ippDelete(response);
        // A job the scheduler no longer knows went with its queue, or was printed and forgotten.
        if (status == IPP_STATUS_ERROR_NOT_FOUND && !dest) {
            state.stage = JobState::Failed;
            state.reason = QStringLiteral("la file d'impression a été supprimée");
        } else if (status != IPP_STATUS_ERROR_NOT_FOUND)
            state.stage = JobState::Unknown;
        cupsFreeDests(dest ? 1 : 0, dest);
        return state;
    }
    ipp_attribute_t* stage = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
    ipp_attribute_t* pages = ippFindAttribute(response, "job-impressions-completed", IPP_TAG_INTEGER);
    ipp_attribute_t* message = ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT);
    const int jobStage = stage ? ippGetInteger(stage, 0) : IPP_JSTATE_COMPLETED;
    state.pagesPrinted = pages ? ippGetInteger(pages, 0) : -1;
    state.reason = message ? QString::fromUtf8(ippGetString(message, 0, nullptr)) : QString();
    ippDelete(response);

    // A stopped printer holds its jobs, pending or started.
    bool stopped = false;
    if (dest) {
        stopped = qstrcmp(cupsGetOption("printer-state", dest->num_options, dest->options), "5") == 0;
        if (state.reason.isEmpty())
            state.reason = QString::fromUtf8(cupsGetOption("printer-state-message", dest->num_options, dest->options));
        cupsFreeDests(1, dest);
    }
    switch (jobStage) {
    case IPP_JSTATE_PENDING: state.stage = stopped ? JobState::Stopped : JobState::Queued; break;
    case IPP_JSTATE_PROCESSING: state.stage = stopped ? JobState::Stopped : JobState::Printing; break;
    case IPP_JSTATE_HELD: state.stage = JobState::Held; break;
    case IPP_JSTATE_STOPPED: state.stage = JobState::Stopped; break;
    case IPP_JSTATE_CANCELED:
    case IPP_JSTATE_ABORTED: state.stage = JobState::Failed; break;
    default: state.stage = JobState::Done; break;
    }
    return state;
}

std::optional<int> submitDocument(const QString& printer, const QString& file, const QString& title,
                                  const QStringList& options, QString* cause)
{
    std::vector<QByteArray> texts;
    for (const QString& option : options)
        texts.push_back(option.toUtf8());
    std::vector<cups_option_t> given;
    for (std::size_t k = 0; k + 1 < texts.size(); k += 2)
        given.push_back({texts[k].data(), texts[k + 1].data()});
    // A queue's instance ("name/instance") only chooses the options; the job goes to the queue.
    const int job = cupsPrintFile(printer.section(u'/', 0, 0).toUtf8().constData(), QFile::encodeName(file).constData(),
                                  title.toUtf8().constData(), int(given.size()), given.data());
    if (job > 0)
        return job;
    *cause = QString::fromUtf8(cupsLastErrorString());
    return std::nullopt;
}

bool cancelJobsTitled(const QString& printer, const QString& title)
{
    cups_job_t* jobs = nullptr;
    const QByteArray queue = printer.section(u'/', 0, 0).toUtf8();
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 0, CUPS_WHICHJOBS_ALL);
    const QByteArray wanted = title.toUtf8();
    bool found = false;
    for (int i = 0; i < count; ++i) {
        if (wanted != jobs[i].title || jobs[i].state == IPP_JSTATE_CANCELED)
            continue;
        found = true;
        if (jobs[i].state < IPP_JSTATE_CANCELED)
            cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), jobs[i].id, 0);
    }
    cupsFreeJobs(count, jobs);
    return found;
}

#endif

} // namespace calvorigne
