// SPDX-License-Identifier: GPL-3.0-or-later
// A probe loaded into a Qt program with LD_PRELOAD by kalumo-startup: when
// the program's first top-level window has been exposed and its first frame
// handled, it writes "shown" and the CLOCK_MONOTONIC time in nanoseconds to
// the file descriptor named by KALUMO_PROBE_FD, and ends the process at once,
// so the peak memory the harness reads is the peak up to that moment. The
// program itself is not changed.

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

class ShownProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (!m_fired && event->type() == QEvent::Expose && object->isWindowType()
            && static_cast<QWindow *>(object)->isExposed()) {
            m_fired = true;
            // The expose is being handled now; the first frame is done once
            // the event loop comes back to us.
            QTimer::singleShot(0, [] { report(); });
        }
        return false;
    }

private:
    static void report()
    {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const char *fd = getenv("KALUMO_PROBE_FD");
        if (fd) {
            char line[64];
            const int n = snprintf(line, sizeof line, "shown %lld\n",
                                   static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            [[maybe_unused]] ssize_t written = write(atoi(fd), line, size_t(n));
        }
        _exit(0);
    }
    bool m_fired = false;
};

void install() { QCoreApplication::instance()->installEventFilter(new ShownProbe(QCoreApplication::instance())); }

// Runs as the library loads, before main: the routine runs inside the
// program's QApplication constructor.
struct Registration
{
    Registration() { qAddPreRoutine(install); }
} registration;

} // namespace
