// Helpers of the tests that run a real program on an X display: xdotool, windows found by
// name, screen grabs and the regions where two grabs differ.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

// Runs xdotool with the arguments and returns what it printed.
QString Xdotool(const QStringList& arguments);
// The id of the first window whose name matches the pattern, waiting up to `ms`.
QString WaitForWindow(const QString& pattern, int ms);
// The window's place and size on the screen.
QRect WindowRect(const QString& id);
// The screen's pixels in `area`.
QImage Grab(const QRect& area);
// Connected regions of more than 100 pixels that differ between two pictures, as bounding
// boxes, between the rows `top` and `bottom`.
std::vector<QRect> ChangedRegions(const QImage& before, const QImage& after, int top, int bottom);
// Two tiles side by side make one region: split it along its longer side.
std::vector<QRect> SplitPair(const std::vector<QRect>& marked);
std::string ReadFile(const std::filesystem::path& path);
// A left click at `point` of the window.
void Click(const QRect& window, const QPoint& point);
// A fresh copy of the shipped game folder without settings, in a temporary folder.
std::filesystem::path FreshGameFolder();
