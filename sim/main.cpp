// vzr-t8100-sim: a simulated VZR-T8100 on a pseudo-terminal. Prints the terminal's path on
// the first line of standard output and serves until SIGINT or SIGTERM.

#include "CVzrT8100Sim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMetaObject>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

void Fail(const QString& message) {
    std::fprintf(stderr, "vzr-t8100-sim: %s\n", qPrintable(message));
}

bool ReadInt(const QCommandLineParser& parser, const QString& name, int min, int& value) {
    bool ok = false;
    const int v = parser.value(name).toInt(&ok);
    if (!ok || v < min) {
        Fail(QCoreApplication::translate("main", "invalid value for --%1: \"%2\"")
                 .arg(name, parser.value(name)));
        return false;
    }
    value = v;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    // SIGINT and SIGTERM are taken by one waiting thread, never by a handler in the middle of
    // the simulator's work; every thread started later inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vzr-t8100-sim");

    // --auto-trigger takes an optional delay, which the parser has no form for
    QStringList args = QCoreApplication::arguments();
    QString autoDelay;
    for (QString& arg : args) {
        if (arg.startsWith("--auto-trigger=")) {
            autoDelay = arg.mid(int(qstrlen("--auto-trigger=")));
            arg = "--auto-trigger";
        }
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Simulated VZR-T8100 ESD simulator on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {"auto-trigger",
         QCoreApplication::translate("main", "Trigger by itself after each start "
                                             "(--auto-trigger=MS sets the delay, default 100).")},
        {"time-scale", QCoreApplication::translate("main", "Multiply every interval by X."), "X"},
        {"model", QCoreApplication::translate("main", "Text after the identification text."),
         "TEXT"},
        {"ident", QCoreApplication::translate("main", "Whole identification reply."), "TEXT"},
        {"silent", QCoreApplication::translate("main", "Answer nothing (a pulled cable).")},
        {"nak",
         QCoreApplication::translate("main", "Answer the first N acknowledgements with NAK."), "N"},
        {"bad-bcc",
         QCoreApplication::translate("main", "Send the first N replies with a wrong BCC."), "N"},
        {"slow", QCoreApplication::translate("main", "Pause MS milliseconds between sent bytes."),
         "MS"},
        {"flood", QCoreApplication::translate("main", "Send junk bytes continuously.")},
        {"error-on-start",
         QCoreApplication::translate("main", "The first start fails with error CODE."), "CODE"},
        {"log",
         QCoreApplication::translate("main", "Print every received text to standard error.")},
        {"line-pacing",
         QCoreApplication::translate("main", "Let every byte take its time at 9600 baud.")},
        {"no-discharge-hold",
         QCoreApplication::translate("main", "Clear the discharge bit the moment a series ends.")},
    });
    parser.process(args);

    CVzrT8100Sim sim;
    if (parser.isSet("auto-trigger")) {
        int delayMs = 100;
        if (!autoDelay.isEmpty()) {
            bool ok = false;
            delayMs = autoDelay.toInt(&ok);
            if (!ok || delayMs < 0) {
                Fail(QCoreApplication::translate("main", "invalid value for --auto-trigger: \"%1\"")
                         .arg(autoDelay));
                return 2;
            }
        }
        sim.SetAutoTrigger(true, delayMs);
    }
    if (parser.isSet("time-scale")) {
        bool ok = false;
        const double scale = parser.value("time-scale").toDouble(&ok);
        if (!ok || !(scale > 0.0) || scale > 1.0e6) {
            Fail(QCoreApplication::translate("main", "invalid value for --time-scale: \"%1\"")
                     .arg(parser.value("time-scale")));
            return 2;
        }
        sim.SetTimeScale(scale);
    }
    if (parser.isSet("model")) {
        sim.SetModelText(parser.value("model"));
    }
    if (parser.isSet("ident")) {
        sim.SetIdentText(parser.value("ident"));
    }
    sim.SetSilent(parser.isSet("silent"));
    int value = 0;
    if (parser.isSet("nak")) {
        if (!ReadInt(parser, "nak", 0, value)) {
            return 2;
        }
        sim.InjectNak(value);
    }
    if (parser.isSet("bad-bcc")) {
        if (!ReadInt(parser, "bad-bcc", 0, value)) {
            return 2;
        }
        sim.InjectBadBcc(value);
    }
    if (parser.isSet("slow")) {
        if (!ReadInt(parser, "slow", 0, value)) {
            return 2;
        }
        sim.SetByteDelayMs(value);
    }
    if (parser.isSet("error-on-start")) {
        if (!ReadInt(parser, "error-on-start", -999999999, value)) {
            return 2;
        }
        sim.InjectErrorOnNextStart(value);
    }
    sim.SetFlood(parser.isSet("flood"));
    sim.SetLinePacing(parser.isSet("line-pacing"));
    if (parser.isSet("no-discharge-hold")) {
        sim.SetDischargeHold(false);
    }
    if (parser.isSet("log")) {
        sim.SetLogCallback([](const QString& text) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }

    if (!sim.Start()) {
        Fail(QCoreApplication::translate("main", "cannot open a pseudo-terminal"));
        return 1;
    }
    std::fprintf(stdout, "%s\n", sim.PortPath().toLocal8Bit().constData());
    std::fflush(stdout);

    std::thread waiter([&stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    const int rc = app.exec();
    waiter.join();
    sim.Stop();
    return rc;
}
