#pragma once
// The real Qt window over a fresh folder, driven by mouse and key events.

#include <HQ.h>
#include <TempDir.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

class WindowTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    std::unique_ptr<qtui::HQ> w;
    QStringList errors;

    // Without message boxes failures are collected in `errors`.
    void open(bool messageBoxes = false, logbook::FileSystem& files = logbook::platformFileSystem())
    {
        w = std::make_unique<qtui::HQ>(dir.str(), files);
        if (!messageBoxes)
            w->setErrorReporter([this](const QString& message) { errors << message; });
        w->load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    template<typename Widget = QWidget> Widget* find(const char* name) const
    {
        auto* widget = w->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAbstractItemView* list(const char* name) const { return find<QAbstractItemView>(name); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
    static QStringList rows(const QAbstractItemView* view)
    {
        QStringList texts;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            texts << view->model()->index(row, 0).data().toString();
        return texts;
    }
    static bool drawsColour(QWidget* widget, const QColor& colour)
    {
        const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        return std::count(pixels, pixels + image.width() * image.height(), colour.rgb()) > 0;
    }
    void pickDate(const QString& day, const QString& month, const QString& year)
    {
        QTest::mouseClick(find("Label1"), Qt::LeftButton);
        QAbstractItemView* picker = list("CLyS");
        for (const QString& item : {day, month, year}) {
            const QRect at = picker->visualRect(picker->model()->index(rows(picker).indexOf(item), 0));
            QTest::mouseClick(picker->viewport(), Qt::LeftButton, {}, at.center());
        }
    }
    // A click into the field, then a key event for each character, as from any keyboard layout.
    void type(const char* field, const QString& text)
    {
        QLineEdit* edit = combo(field)->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        for (const char32_t codePoint : text.toUcs4()) {
            const QString character = QString::fromUcs4(&codePoint, 1);
            QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, character, Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, character, Qt::NoModifier);
        }
    }
    void save() { QTest::mouseClick(find("Command1"), Qt::LeftButton); }
    // Runs `action`, which should bring up a message box; closes it and returns its text.
    static QString messageBoxDuring(const std::function<void()>& action)
    {
        QString text;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->done(QMessageBox::Ok);
            }
        });
        watch.start(10);
        action();
        return text;
    }
};
