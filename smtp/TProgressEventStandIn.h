#pragma once
// Temporary until the mail model publishes TProgressEvent.
#include <QObject>
#include <functional>
using TProgressEvent = std::function<void(QObject *Sender, int Total, int Current)>;
