// Evaluates arbitrary text as a command script. Invalid scripts may fail with
// ScriptError; anything else (a crash, a hang, another exception) is a fault.
#include "script/dialogs.h"
#include "script/json_script.h"

#include <QString>

#include <cstdint>
#include <exception>

namespace {

// Shows nothing and cancels every input box.
class SilentDialogs : public tavimo::Dialogs {
public:
    QCoro::Task<> messageBox(QString, QString, tavimo::DialogIcon) override { co_return; }
    QCoro::Task<QString> inputBox(QString, QString, QString) override { co_return QString(); }
};

// With boxes that end at once the evaluation ends before this returns; an
// exception other than ScriptError is a fault.
QCoro::Task<> Evaluate(tavimo::cJSONScript &script, QString text)
{
    try {
        co_await script.Eval(text);
    } catch (const tavimo::ScriptError &) {
    } catch (...) {
        std::terminate();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SilentDialogs dialogs;
    tavimo::cJSONScript script(dialogs);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int run = 0; run < 2; ++run) {
        Evaluate(script, text);
    }
    return 0;
}
