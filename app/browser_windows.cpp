#include "app/browser_windows.h"

#include "app/hot_form.h"
#include "app/liked_songs_form.h"
#include "app/main_form.h"
#include "download/file_downloader.h"
#include "net/mod_xml_http.h"

namespace tavimo {

BrowserWindows::BrowserWindows(MainForm &main, const ServiceHosts &hosts, FileDownloader &files,
                               const QString &downloadRoot, const QString &browserStorage)
    : main_(main), context_{hosts, files.network(), main.downloads(), downloadRoot, main, main.tables()},
      profile_(files.network().cookies(), browserStorage)
{
    connect(&main, &MainForm::hotChannelsRequested, this, &BrowserWindows::openHot);
    connect(&main, &MainForm::likedSongsRequested, this, &BrowserWindows::openLiked);
    connect(&main, &MainForm::closed, this, &BrowserWindows::closeAll);
}

BrowserWindows::~BrowserWindows()
{
    // Every page must be gone before the profile it belongs to.
    for (const QPointer<QWidget> &form : std::as_const(forms_))
        delete form.data();
}

hotForm *BrowserWindows::openHot()
{
    if (hot_ == nullptr || hot_->isClosed())
        hot_ = new hotForm(context_, profile_);
    handOver(hot_.data());
    return hot_;
}

likedSongsForm *BrowserWindows::openLiked()
{
    if (liked_ == nullptr || liked_->isClosed())
        liked_ = new likedSongsForm(context_, profile_);
    handOver(liked_.data());
    return liked_;
}

template <typename Form>
void BrowserWindows::handOver(Form *form)
{
    if (!forms_.contains(form))
        forms_.append(form);
    main_.hide();
    connect(form, &Form::closed, &main_, &QWidget::show, Qt::UniqueConnection);
    form->show();
    form->raise();
}

void BrowserWindows::closeAll()
{
    if (hot_ != nullptr)
        hot_->close();
    if (liked_ != nullptr)
        liked_->close();
}

} // namespace tavimo
