// A terminal view on a loop-back session in a plain test window, a frame
// that records what the view asks of it, and pixel helpers for glyph cells.
#pragma once

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "GuiApplication.h"
#include "SessionFixture.h"
#include "view/CVT420View.h"
#include "view/ViewHost.h"

namespace tamsivane::testing {

class RecordingHost final : public ViewHost {
public:
    void ShowSessionTitle(const QString& sessionTitle) override {
        mainTitle = MainWindowTitle(sessionTitle);
    }
    QString FrameTitle() const override { return frameTitle; }
    void SetFrameTitle(const QString& title) override { frameTitle = title; }
    void CloseSessionWindow() override { ++closeRequests; }
    bool IsFrameClosing() const override { return closing; }
    void PostCommand(int id) override { posted.push_back(id); }
    void RunScript(bool isFile, const std::string& text) override {
        scripts.push_back((isFile ? "file " : "text ") + text);
    }
    void RebuildButtonBar() override { ++buttonBarBuilds; }
    void StatusChanged(const QString& size, const QString& cursorPosition,
                       bool numericKeypad) override {
        pageSize = size;
        cursor = cursorPosition;
        numeric = numericKeypad;
    }
    void ShowNote(const QString& text) override { notes.push_back(text); }
    bool FitWindowToView() override {
        ++fits;
        return canFit;
    }
    void HideMenuBar() override { menuHidden = true; }
    void ShowViewPopup(const QPoint& globalPosition) override { popups.push_back(globalPosition); }
    AppProfile& Profile() override { return profile; }

    MemoryProfile profile;
    QString mainTitle;
    QString frameTitle = "session";
    int closeRequests = 0;
    bool closing = false;
    std::vector<int> posted;
    std::vector<std::string> scripts;
    int buttonBarBuilds = 0;
    QString pageSize;
    QString cursor;
    bool numeric = false;
    std::vector<QString> notes;
    int fits = 0;
    bool canFit = false;
    bool menuHidden = false;
    std::vector<QPoint> popups;
};

class ViewTest : public SessionTest {
protected:
    ViewTest() {
        EnsureApplication();
        UseFace(kTestFace);
    }
    void UseFace(const QString& face) {
        Configure([&](SettingsStore& s) {
            s.SetString(P::FontName, face.toStdString());
            s.SetString(P::FontName132, face.toStdString());
        });
    }
    // A loop-back session shown in a view of the given size.
    void Open(QSize size = QSize(900, 500)) {
        OpenLoopback();
        view = std::make_unique<CVT420View>(session, host);
        view->resize(size);
        view->show();
        // The window takes the focus when it becomes active; the tests give
        // it back when they look at the cursor.
        (void)QTest::qWaitForWindowActive(view.get(), 2000);
        view->clearFocus();
        QCoreApplication::processEvents();
    }
    void Focus() {
        QApplication::setActiveWindow(view.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }, 5000));
    }
    ~ViewTest() override { view.reset(); }

    // Host bytes through the loop-back line; returns once `marker` shows on
    // the page and the view has taken the update.
    void Host(const std::string& bytes, std::string_view marker) {
        ASSERT_TRUE(session.Send(bytes));
        ASSERT_TRUE(WaitForScreen(marker)) << "never shown: " << marker;
        QCoreApplication::processEvents();
        view->TakeWaitingUpdate();
    }
    void SetNumber(int param, int32_t value) {
        Configure([&](SettingsStore& s) { s.SetNumber(param, value); });
    }
    QColor Palette(int index) {
        const SessionLock locked = session.Locked();
        const uint8_t* rgb = locked.Settings().GetBlock(P::Palette) + 4 * index;
        return QColor(rgb[0], rgb[1], rgb[2]);
    }
    QImage Grab() {
        return view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // A cell of the grabbed view (buffer row of the live page, column).
    QImage Cell(const QImage& image, int row, int column, int cells = 1) {
        const QRect r = view->CellRect(History() + row, column);
        return image.copy(r.x(), r.y(), r.width() * cells, r.height());
    }
    CellAttribute Attribute(int row, int column) {
        const SessionLock locked = session.Locked();
        return locked.Screen().Attribute(row, column);
    }
    QColor Fore(CellAttribute attribute) { return Palette(attribute.Foreground()); }
    QColor Back(CellAttribute attribute) { return Palette(attribute.Background()); }
    int History() {
        const SessionLock locked = session.Locked();
        return locked.Screen().HistoryCount();
    }
    // The text drawn by QPainter in a cell of the view's font.
    QImage Reference(const QString& text, const QColor& fore, const QColor& back, int cells = 1) {
        const CellFont& f = view->Font();
        QImage image(f.width * cells, f.height, QImage::Format_RGB32);
        image.fill(back);
        QPainter painter(&image);
        painter.setFont(f.font);
        painter.setPen(fore);
        painter.drawText(QRect(0, 0, image.width(), image.height()), Qt::AlignLeft | Qt::AlignTop,
                         text);
        return image;
    }
    static int Differences(const QImage& a, const QImage& b) {
        if (a.size() != b.size()) return a.width() * a.height() + 1;
        int count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y);
        return count;
    }
    static bool AllOf(const QImage& image, const QColor& colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != colour.rgb()) return false;
        return true;
    }
    static int CountOf(const QImage& image, const QColor& colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour.rgb();
        return count;
    }

    RecordingHost host;
    std::unique_ptr<CVT420View> view;
};

} // namespace tamsivane::testing
