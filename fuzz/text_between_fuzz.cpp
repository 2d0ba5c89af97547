// Feeds arbitrary texts and marks to TextBetween and checks that the result
// is a piece of the text, empty whenever the message box came, and that a
// missing end mark always brings the message box.
#include "fuzz/fuzz_support.h"
#include "workflow/album_page_download.h"

#include <QString>

#include <cstdint>

namespace {

class CountingView final : public tavimo::MainView {
public:
    void setStatus(const QString &) override {}
    QCoro::Task<> showMessage(QString, tavimo::MessageKind) override
    {
        ++messages;
        co_return;
    }

    int messages = 0;
};

// The input is split at its first two NUL bytes into text, start and end
// mark; missing parts are empty.
QStringList partsOf(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QList<QByteArray> pieces = bytes.split('\0');
    while (pieces.size() < 3)
        pieces.append(QByteArray());
    return {QString::fromUtf8(pieces.at(0)), QString::fromUtf8(pieces.at(1)), QString::fromUtf8(pieces.at(2))};
}

} // namespace

using tavimo::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CountingView view;

    const QStringList parts = partsOf(data, size);
    const int messagesBefore = view.messages;
    // The message box ends at once, so the task has ended when waitFor starts.
    const QString between = QCoro::waitFor(tavimo::TextBetween(view, parts.at(0), parts.at(1), parts.at(2)));
    require(parts.at(0).contains(between));
    if (view.messages != messagesBefore)
        require(between.isEmpty());
    else
        require(parts.at(0).indexOf(parts.at(2)) >= 0);
    return 0;
}
