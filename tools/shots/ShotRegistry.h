#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;
class ShotContext;

// The windows vellorn-shots photographs: a name (the PNG's file name) and how to open the
// window with demonstration data. Each window adds itself from its own Shot*.cpp file:
//   static const bool added = ShotRegistry::add("send-dialog", [](ShotContext &c) { ... });
class ShotRegistry
{
public:
    // Returns the window to grab; vellorn-shots shows it, grabs it and deletes it.
    using Open = std::function<QWidget *(ShotContext &)>;
    struct Entry
    {
        QString name;
        Open open;
    };

    static bool add(const QString &name, Open open);
    static const std::vector<Entry> &entries();

private:
    static std::vector<Entry> &list();
};
