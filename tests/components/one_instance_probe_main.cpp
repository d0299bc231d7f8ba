// A copy of a program with a single-instance component, started by the tests.
// It prints "first" or "not first" as soon as it knows. A first copy then prints each hand-over
// it receives ("received <count>" and one "arg:<text>" line per argument) and ends after
// ONEINSTANCE_PROBE_SERVE hand-overs or ONEINSTANCE_PROBE_STAY_MS milliseconds (exit code 10).
// A later copy ends through its event loop (exit code 20), or at once with ONEINSTANCE_PROBE_HALT.
// ONEINSTANCE_PROBE_NAME replaces the program name the copies meet under;
// ONEINSTANCE_PROBE_TIMEOUT_MS shortens the wait for an answering first copy;
// ONEINSTANCE_PROBE_FALLBACK names the directory for the lock when the temporary one fails.
// A copy that can make no lock at all prints "no lock: " and the error, and ends (exit code 30).
#include "components/one_instance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int envNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TOneInstance instance(nullptr, qEnvironmentVariable("ONEINSTANCE_PROBE_NAME"));
    instance.UseHaltToExit = qEnvironmentVariableIsSet("ONEINSTANCE_PROBE_HALT");
    instance.HandOverTimeoutMs = envNumber("ONEINSTANCE_PROBE_TIMEOUT_MS", instance.HandOverTimeoutMs);
    instance.FallbackDirectory = qEnvironmentVariable("ONEINSTANCE_PROBE_FALLBACK");
    try {
        instance.Loaded();
    } catch (const OneInstanceError& error) {
        say(QString("no lock: ") + error.what());
        return 30;
    }

    if (!instance.isFirstInstance()) {
        say("not first");
        app.exec();  // the component has asked it to end at once
        return 20;
    }
    say("first");
    int toServe = envNumber("ONEINSTANCE_PROBE_SERVE", 0);
    if (toServe <= 0) return 10;
    QObject::connect(&instance, &TOneInstance::OnInstanceStarted, &app, [&](const QStringList& arguments) {
        say("received " + QString::number(arguments.size()));
        for (const QString& argument : arguments) say("arg:" + argument);
        if (--toServe == 0) QTimer::singleShot(0, &app, [] { QCoreApplication::exit(10); });
    });
    QTimer::singleShot(envNumber("ONEINSTANCE_PROBE_STAY_MS", 120000), &app, [] { QCoreApplication::exit(11); });
    return app.exec();
}
