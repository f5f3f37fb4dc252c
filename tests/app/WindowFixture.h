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

#include <functional>

class WindowTest : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    std::unique_ptr<qtui::HQ> w;
    QStringList errors;

    // Failures are collected in `errors` rather than shown, unless asked for.
    void open(bool messageBoxes = false)
    {
        w = std::make_unique<qtui::HQ>(dir.str());
        if (!messageBoxes)
            w->setErrorReporter([this](const QString& message) { errors << message; });
        w->load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }

    // A control by its name, as the window names it.
    template<typename Widget = QWidget> Widget* find(const char* name) const
    {
        auto* widget = w->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QAbstractItemView* list(const char* name) const { return find<QAbstractItemView>(name); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }

    static bool drawsColour(QWidget* widget, const QColor& colour)
    {
        const QImage image = widget->grab().toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) == colour)
                    return true;
        return false;
    }

    static QStringList rows(const QAbstractItemModel* model)
    {
        QStringList texts;
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 0).data().toString();
        return texts;
    }

    void clickItem(const QString& text)
    {
        QAbstractItemView* picker = list("CLyS");
        const int row = rows(picker->model()).indexOf(text);
        ASSERT_GE(row, 0) << text.toStdString();
        QTest::mouseClick(picker->viewport(), Qt::LeftButton, {},
                          picker->visualRect(picker->model()->index(row, 0)).center());
    }

    void pickDate(const QString& day, const QString& month, const QString& year)
    {
        QTest::mouseClick(find("Label1"), Qt::LeftButton);
        for (const QString& item : {day, month, year})
            clickItem(item);
    }

    // A click into the field, then key events carrying each character, as a
    // keyboard with any layout sends them.
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

    // Runs `action`, which should bring up a modal message box; closes the
    // box and returns its text.
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
