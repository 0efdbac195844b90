#include "web/module/UpdateScript.h"

#include "web/WebLog.h"

#include <QJSEngine>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
// The one object the code sees ("Program"); nothing else of the program is reachable.
class ScriptProgram : public QObject {
    Q_OBJECT
public:
    explicit ScriptProgram(const UpdateScriptServices& services) : services_(services) {}
    Q_INVOKABLE void message(const QString& text) {
        if (services_.message) services_.message(text);
    }
    Q_INVOKABLE void openAddress(const QString& address) {
        if (services_.openAddress) services_.openAddress(address);
    }

private:
    const UpdateScriptServices& services_;
};

// Interrupts the engine when the script is still running after the limit.
class Watchdog {
public:
    Watchdog(QJSEngine& engine, int limitMs)
        : thread_([this, &engine, limitMs] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::milliseconds(limitMs), [this] { return finished_; })) {
                  fired_ = true;
                  engine.setInterrupted(true);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    bool Fired() const { return fired_; }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};
}  // namespace

UpdateScriptResult RunUpdateScript(const QString& code, const UpdateScriptServices& services, int limitMs) {
    UpdateScriptResult result;
    // No extensions installed: no console, no translation, no garbage-collector hooks.
    QJSEngine engine;
    ScriptProgram program(services);
    engine.globalObject().setProperty(QStringLiteral("Program"), engine.newQObject(&program));
    QJSValue outcome;
    bool threw = false;
    {
        Watchdog watchdog(engine, limitMs);
        outcome = engine.evaluate(code);
        if (!outcome.isError() && !watchdog.Fired()) {
            QJSValue main = engine.globalObject().property(QStringLiteral("Main"));
            if (main.isCallable()) {
                // Run through a wrapper: anything thrown, also a value that is no Error object,
                // comes back as text.
                const QJSValue failure = engine.evaluate(QStringLiteral(
                    "(function () { try { Main(); return ''; } catch (e) { return 'Main threw: ' + String(e); } })()"));
                if (failure.isError()) {
                    outcome = failure;
                } else if (!failure.toString().isEmpty()) {
                    threw = true;
                    outcome = failure;
                }
            } else {
                result.error = QStringLiteral("the update code has no function Main");
            }
        }
        result.interrupted = watchdog.Fired();
    }
    // The engine must not hold on to the program object beyond this call.
    engine.globalObject().deleteProperty(QStringLiteral("Program"));
    if (result.interrupted) {
        result.error = QStringLiteral("the update code ran longer than %1 ms and was stopped").arg(limitMs);
    } else if (outcome.isError() || threw) {
        result.error = outcome.toString();
        if (result.error.isEmpty()) result.error = QStringLiteral("the update code failed");
    }
    result.ran = result.error.isEmpty();
    if (!result.ran) qCWarning(lcWeb) << "update code:" << result.error;
    return result;
}

#include "UpdateScript.moc"
