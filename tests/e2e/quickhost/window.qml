import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12

Page {
    id: page
    header: TabBar {
        id: tabs
        objectName: "tabs"
        TabButton { text: "General" }
        TabButton { text: "Advanced" }
    }
    StackLayout {
        anchors.fill: parent
        anchors.margins: 8
        currentIndex: tabs.currentIndex
        ColumnLayout {
            Switch { id: wifi; objectName: "wifi"; text: "Wi-Fi" }
            RadioButton { text: "Small"; checked: true }
            RadioButton { id: large; text: "Large" }
            TextField { objectName: "note"; placeholderText: "Note" }
            Button { text: "Open dialog"; onClicked: dialog.open() }
            Label {
                objectName: "summary"
                text: (wifi.checked ? "wifi on" : "wifi off") + ", " + (large.checked ? "large" : "small")
                      + ", " + page.answer
            }
        }
        Label { objectName: "advancedPage"; text: "Nothing advanced yet" }
    }
    property string answer: "no answer"
    Dialog {
        id: dialog
        objectName: "confirmDialog"
        title: "Confirm"
        modal: true
        anchors.centerIn: parent
        standardButtons: Dialog.Ok | Dialog.Cancel
        onAccepted: page.answer = "accepted"
        onRejected: page.answer = "rejected"
        Label { text: "Really?" }
    }
}
