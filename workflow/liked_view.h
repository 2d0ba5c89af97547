#pragma once

#include <QString>

namespace tavimo {

// What the liked-tracks harvest sees of `likedSongsForm`.
class LikedView {
public:
    virtual ~LikedView() = default;

    virtual void setStatus(const QString &text) = 0; // lblStatus
    virtual void setCaption(const QString &text) = 0;
    // Shrinks the browser out of sight and makes the window the compact
    // progress window in the bottom-right corner of the screen.
    virtual void showProgressLayout() = 0;
    // Closes the window; closing shows the main window again.
    virtual void closeWindow() = 0;
    // True once the window is closing: the harvest returns at its next wait
    // and writes nothing more.
    virtual bool isClosed() const = 0;
};

} // namespace tavimo
