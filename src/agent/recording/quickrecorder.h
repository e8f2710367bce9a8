#pragma once

#include "recordedstep.h"

#include "quick/quickscene.h"

#include <QPointer>
#include <QString>

#include <functional>

class QEvent;
class QObject;

// What a person does in Qt Quick scenes, as steps that replay (the session recorder's part
// for QQuickWidgets and QQuickWindows): a click on an item becomes the activate of the item
// (a check box, switch or radio button: to the state the click leaves it in), and text typed
// into a text input the enter of the text it ends with. It reads the user's input only; the
// session recorder hands it the spontaneous mouse events outside the agent's requests.
class QuickRecorder
{
public:
    // Receives each step, its window field and the item's address decided.
    using Append = std::function<void(const RecordedStep &step)>;
    explicit QuickRecorder(Append append);

    // A mouse event of the user's; false when its receiver shows no Qt Quick scene, for the
    // widget recorder to handle.
    bool mouseEvent(QObject *receiver, QEvent *event);
    // The text typed into the text input that had the last click, as its enter step.
    void flushTyping();
    // Forgets a press whose release has not come (a request of the agent's started).
    void forgetPress() { pressed = Place(); }
    // Forgets the press and the typing (a recording starts afresh).
    void reset() { pressed = typing = Place(); }

private:
    struct Place
    {
        QPointer<QObject> item;
        QString window;
        QString address;
        QString startText; // a text input's text when it was clicked into
    };
    Place placeAt(const QuickScene &scene, const QPoint &scenePoint) const;
    void released(const Place &place);

    Append append;
    Place pressed;
    Place typing;
};
