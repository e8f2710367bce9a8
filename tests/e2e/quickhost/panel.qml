import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12

Pane {
    objectName: "panelRoot"
    ColumnLayout {
        anchors.fill: parent
        RowLayout {
            Label { text: "Name:" }
            TextField { objectName: "nameField"; id: nameField; placeholderText: "your name"
                        selectByMouse: true }
        }
        RowLayout {
            Button {
                objectName: "greetButton"
                text: "Greet"
                onClicked: greeting.text = "Hello, " + nameField.text
            }
            CheckBox { id: subscribe; text: "Subscribe" }
            ComboBox { id: colour; objectName: "colour"; model: ["Red", "Green", "Blue"] }
        }
        Label { id: greeting; objectName: "greeting"; text: "Nobody greeted" }
        Label {
            objectName: "state"
            text: (subscribe.checked ? "subscribed" : "not subscribed") + ", " + colour.currentText
                  + ", " + (fruits.currentIndex >= 0 ? fruits.model[fruits.currentIndex] : "no fruit")
        }
        ListView {
            id: fruits
            objectName: "fruits"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            currentIndex: -1
            model: ["Apple", "Banana", "Cherry", "Date"]
            delegate: ItemDelegate {
                text: modelData
                width: fruits.width
                highlighted: ListView.isCurrentItem
                onClicked: fruits.currentIndex = index
            }
        }
    }
}
