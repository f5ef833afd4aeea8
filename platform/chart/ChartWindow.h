// The chart's window: a child widget that owns a chart's property store, its current scene
// and the image it shows.
//
// Drawing happens into a retained image (ChartResetImage); a paint event only copies it to the
// screen, re-rendering the scene first when the window's size has changed since.
#pragma once

#include "ChartProperties.h"
#include "ChartScene.h"

#include <QImage>
#include <QWidget>
#include <memory>

class ChartWindow : public QWidget {
public:
    ChartWindow(QWidget* parent, int controlId);
    ~ChartWindow() override;

    // The window with this address, or null when no chart window lives there (destroyed,
    // never created, or another kind of widget).
    static ChartWindow* FromHandle(const void* handle);

    int ControlId() const { return Id; }
    ChartPropertyStore& Properties() { return Store; }
    // Resolves the store into a new scene; the image is unchanged until Render.
    void Reinitialize();
    // Draws the current scene (or the empty desk before the first Reinitialize) into the image
    // at the window's size.
    void Render();
    // The current scene; null before the first Reinitialize.
    std::shared_ptr<const ChartScene> Scene() const { return CurrentScene; }
    // The image as the window shows it, rendered first when its size is out of date.
    const QImage& Image();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int Id;
    ChartPropertyStore Store;
    std::shared_ptr<const ChartScene> CurrentScene;
    QImage Surface;
};
