// Evaluates arbitrary text as a command script. Invalid scripts may fail with
// ScriptError; anything else (a crash, a hang, another exception) is a fault.
#include "script/dialogs.h"
#include "script/json_script.h"

#include <QString>

#include <cstdint>

namespace {

// Shows nothing and cancels every input box.
class SilentDialogs : public tavimo::Dialogs {
public:
    void messageBox(const QString &, const QString &, tavimo::DialogIcon) override {}
    QString inputBox(const QString &, const QString &, const QString &) override { return QString(); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SilentDialogs dialogs;
    tavimo::cJSONScript script(dialogs);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (int run = 0; run < 2; ++run) {
        try {
            script.Eval(text);
        } catch (const tavimo::ScriptError &) {
        }
    }
    return 0;
}
