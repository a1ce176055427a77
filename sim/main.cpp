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

// "--auto-trigger=MS" becomes "--auto-trigger", its delay given back in delay: the parser
// has no form for an optional value.
QStringList TakeAutoTriggerDelay(QStringList args, QString& delay) {
    for (QString& arg : args) {
        if (arg.startsWith("--auto-trigger=")) {
            delay = arg.mid(int(qstrlen("--auto-trigger=")));
            arg = "--auto-trigger";
        }
    }
    return args;
}

void AddOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Simulated VZR-T8100 ESD simulator on a pseudo-terminal."));
    parser.addHelpOption();
    parser.addOptions({
        {"auto-trigger",
         QCoreApplication::translate("main", "Trigger by itself after each start "
                                             "(--auto-trigger=MS sets the delay, default 100).")},
        {"auto-gun", QCoreApplication::translate("main", "Pull the operator's gun by itself for "
                                                         "GUN steps, after the same delay.")},
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
}

// The instrument's behaviour and the faults to inject, from the options; false after
// telling which value is invalid.
bool Configure(CVzrT8100Sim& sim, const QCommandLineParser& parser, const QString& autoDelay) {
    if (parser.isSet("auto-trigger")) {
        int delayMs = 100;
        if (!autoDelay.isEmpty()) {
            bool ok = false;
            delayMs = autoDelay.toInt(&ok);
            if (!ok || delayMs < 0) {
                Fail(QCoreApplication::translate("main", "invalid value for --auto-trigger: \"%1\"")
                         .arg(autoDelay));
                return false;
            }
        }
        sim.SetAutoTrigger(true, delayMs);
    }
    if (parser.isSet("auto-gun"))
        sim.SetAutoGun(true);
    if (parser.isSet("time-scale")) {
        bool ok = false;
        const double scale = parser.value("time-scale").toDouble(&ok);
        if (!ok || !(scale > 0.0) || scale > 1.0e6) {
            Fail(QCoreApplication::translate("main", "invalid value for --time-scale: \"%1\"")
                     .arg(parser.value("time-scale")));
            return false;
        }
        sim.SetTimeScale(scale);
    }
    if (parser.isSet("model"))
        sim.SetModelText(parser.value("model"));
    if (parser.isSet("ident"))
        sim.SetIdentText(parser.value("ident"));
    sim.SetSilent(parser.isSet("silent"));
    // the counted faults: each a whole number from its least
    const struct {
        const char* name;
        int min;
        void (CVzrT8100Sim::*set)(int);
    } counted[] = {
        {"nak", 0, &CVzrT8100Sim::InjectNak},
        {"bad-bcc", 0, &CVzrT8100Sim::InjectBadBcc},
        {"slow", 0, &CVzrT8100Sim::SetByteDelayMs},
        {"error-on-start", -999999999, &CVzrT8100Sim::InjectErrorOnNextStart},
    };
    for (const auto& option : counted) {
        if (!parser.isSet(option.name))
            continue;
        int value = 0;
        if (!ReadInt(parser, option.name, option.min, value))
            return false;
        (sim.*option.set)(value);
    }
    sim.SetFlood(parser.isSet("flood"));
    sim.SetLinePacing(parser.isSet("line-pacing"));
    if (parser.isSet("no-discharge-hold"))
        sim.SetDischargeHold(false);
    if (parser.isSet("log")) {
        sim.SetLogCallback([](const QString& text) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            std::fflush(stderr);
        });
    }
    return true;
}

// Serves until SIGINT or SIGTERM, which one waiting thread takes.
int ServeUntilStopped(QCoreApplication& app, const sigset_t& stopSignals) {
    std::thread waiter([&stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    const int rc = app.exec();
    waiter.join();
    return rc;
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

    QString autoDelay;
    const QStringList args = TakeAutoTriggerDelay(QCoreApplication::arguments(), autoDelay);
    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(args);

    CVzrT8100Sim sim;
    if (!Configure(sim, parser, autoDelay))
        return 2;
    if (!sim.Start()) {
        Fail(QCoreApplication::translate("main", "cannot open a pseudo-terminal"));
        return 1;
    }
    std::fprintf(stdout, "%s\n", sim.PortPath().toLocal8Bit().constData());
    std::fflush(stdout);

    const int rc = ServeUntilStopped(app, stopSignals);
    sim.Stop();
    return rc;
}
