#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;

namespace qtui {

// The small window that names the data file a long start-up is reading and
// shows how far it is. Closing it gives the start-up up.
class LoadingWindow : public QWidget {
public:
    LoadingWindow();

    void showProgress(const std::string& path, std::uint64_t done, std::uint64_t total);
    bool closed() const { return closed_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* file_;
    QProgressBar* bar_;
    bool closed_ = false;
};

} // namespace qtui
