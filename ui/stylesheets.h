#pragma once

// The updater's look: one sheet for the whole application, one for the window and one per kind of widget.
// Palette: background #E0E7F6, primary #394c81, border #96AFDB, hover #7C8EC1, disabled #DDE4F6, text #111b36.
namespace StyleSheets {

// Set on the application before any widget exists, so message boxes and their buttons get the colours too.
// The "Yes" rule draws nothing: no widget is named "Yes" and the picture it names is not embedded.
inline constexpr char application[] =
    "QMessageBox{background-color: #E0E7F6;color : blue;}"
    "QPushButton#Yes{border-image: url(:/dqrx/graphics/QRX_Button_yes.png);}"
    "QPushButton {border: 3px solid #96AFDB;background-color: #394c81; color: white   ;border-radius: 10px;}"
    "QPushButton:hover{background-color: #7C8EC1;}"
    "QPushButton:pressed{background-color: #96AFDB;}"
    "QPushButton:disabled{background-color:#DDE4F6;}";

inline constexpr char window[] = "background-color: #E0E7F6;color : #394c81;";

inline constexpr char button[] =
    "QPushButton {border: 3px solid #96AFDB;background-color: #394c81; color: white   ;border-radius: 10px;}"
    "QPushButton:hover{background-color: #7C8EC1;}"
    "QPushButton:pressed{background-color: #96AFDB;}"
    "QPushButton:disabled{background-color:#DDE4F6;}";

inline constexpr char addressBox[] =
    "border: 3px solid #394c81;background-color: white;   color: #394c81 ;border-radius: 10px;";

inline constexpr char valueLabel[] =
    "border: 3px solid #394c81;background-color: #E0E7F6; color: #394c81 ;border-radius: 10px;";

inline constexpr char progressBar[] =
    "QProgressBar {border: 3px solid #394c81;background-color: #E0E7F6; border-radius: 10px; color:#394c81;"
    "text-align: center;}"
    "QProgressBar::chunk {background-color: #96AFDB;width: 20px;}";

// No border and the window's background: only the owl picture shows, it does not look like a button.
inline constexpr char owlButton[] =
    "QPushButton {border: 0px solid #96AFDB;background-color: #E0E7F6; color: white   ;border-radius: 10px;}";

inline constexpr char captionLabel[] = "QLabel {color: #111b36;}";

inline constexpr char statusBar[] = "QStatusBar{color: #111b36;}";

} // namespace StyleSheets
