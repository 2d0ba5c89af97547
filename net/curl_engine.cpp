#include "net/curl_engine.h"

#include "net/http_reply.h"

#include <QSocketNotifier>

#include <algorithm>

namespace tavimo {

namespace {

void InitCurlOnce()
{
    static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
    Q_UNUSED(init);
}

CURLSH *NewShare()
{
    InitCurlOnce();
    CURLSH *share = curl_share_init();
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    return share;
}

} // namespace

CurlEngine::CurlEngine(QObject *parent)
    : QObject(parent), share_(NewShare(), &curl_share_cleanup), cookies_(share_.get())
{
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlEngine::onSocket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlEngine::onTimer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlEngine::~CurlEngine()
{
    for (const std::unique_ptr<CurlTransfer> &transfer : transfers_) {
        if (transfer->owner != nullptr)
            transfer->owner->detach();
        dispose(*transfer);
    }
    transfers_.clear();
    curl_multi_cleanup(multi_);
    for (auto &[socket, watch] : watches_) {
        delete watch.read;
        delete watch.write;
    }
}

CurlTransfer *CurlEngine::create(HttpReply *owner)
{
    auto transfer = std::make_unique<CurlTransfer>();
    transfer->owner = owner;
    transfer->easy = curl_easy_init();
    curl_easy_setopt(transfer->easy, CURLOPT_PRIVATE, transfer.get());
    curl_easy_setopt(transfer->easy, CURLOPT_ERRORBUFFER, transfer->errorText);
    curl_easy_setopt(transfer->easy, CURLOPT_SHARE, share_.get());
    // Turns the cookie engine on for this handle; the cookies are the share's.
    curl_easy_setopt(transfer->easy, CURLOPT_COOKIEFILE, "");
    transfers_.push_back(std::move(transfer));
    return transfers_.back().get();
}

void CurlEngine::start(CurlTransfer *transfer)
{
    transfer->running = true;
    curl_multi_add_handle(multi_, transfer->easy);
}

void CurlEngine::release(CurlTransfer *transfer)
{
    transfer->owner = nullptr;
    free(transfer);
}

void CurlEngine::dispose(CurlTransfer &transfer)
{
    if (transfer.running)
        curl_multi_remove_handle(multi_, transfer.easy);
    curl_easy_cleanup(transfer.easy);
    curl_slist_free_all(transfer.headers);
}

void CurlEngine::free(CurlTransfer *transfer)
{
    dispose(*transfer);
    std::erase_if(transfers_, [transfer](const std::unique_ptr<CurlTransfer> &kept) { return kept.get() == transfer; });
}

int CurlEngine::onSocket(CURL *, curl_socket_t socket, int what, void *engine, void *)
{
    static_cast<CurlEngine *>(engine)->watch(socket, what);
    return 0;
}

int CurlEngine::onTimer(CURLM *, long timeoutMs, void *engine)
{
    QTimer &timer = static_cast<CurlEngine *>(engine)->timer_;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(int(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

// Notifiers stay with their socket number when curl is done with it, only
// switched off, so a socket that gets the same number finds them again.
void CurlEngine::watch(curl_socket_t socket, int what)
{
    SocketWatch &watch = watches_[socket];
    watch.what = what;
    if (watch.read == nullptr && (what == CURL_POLL_IN || what == CURL_POLL_INOUT)) {
        watch.read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(watch.read, &QSocketNotifier::activated, this, [this, socket] { act(socket, CURL_CSELECT_IN); });
    }
    if (watch.write == nullptr && (what == CURL_POLL_OUT || what == CURL_POLL_INOUT)) {
        watch.write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(watch.write, &QSocketNotifier::activated, this, [this, socket] { act(socket, CURL_CSELECT_OUT); });
    }
    applyWatch(watch);
}

void CurlEngine::applyWatch(const SocketWatch &watch)
{
    if (watch.read != nullptr)
        watch.read->setEnabled(watch.what == CURL_POLL_IN || watch.what == CURL_POLL_INOUT);
    if (watch.write != nullptr)
        watch.write->setEnabled(watch.what == CURL_POLL_OUT || watch.what == CURL_POLL_INOUT);
}

void CurlEngine::act(curl_socket_t socket, int events)
{
    int running = 0;
    curl_multi_socket_action(multi_, socket, events, &running);
    reportFinished();
}

void CurlEngine::resume(CurlTransfer *transfer)
{
    curl_easy_pause(transfer->easy, CURLPAUSE_CONT);
    // Whatever the unpaused transfer asked for meanwhile runs now.
    act(CURL_SOCKET_TIMEOUT, 0);
}

void CurlEngine::reportFinished()
{
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        CurlTransfer *transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        transfer->result = message->data.result;
        transfer->running = false;
        curl_multi_remove_handle(multi_, transfer->easy);
        if (transfer->owner != nullptr)
            transfer->owner->transferEnded();
    }
}

} // namespace tavimo
