#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

namespace Ui {
class ConnectDialog;
}

// Where the dialog gets its port lists from: all serial ports, and the ports with a
// USB-RS485 converter attached (only the first of them is used).
struct PortDiscovery {
    using PortList = std::function<std::vector<std::string>()>;

    PortList serialPorts;
    PortList converterPorts;

    // The system's serial ports and converters.
    static PortDiscovery system();
};

// Lists the serial ports, names the converter's port and preselects it, or the port used
// last time when it is listed. The port box is editable, so that a device path that
// discovery does not list can be typed; OK is enabled while the box holds a name. The dialog
// is wide enough for its title and for the longest port name.
class ConnectDialog : public QDialog {
    Q_OBJECT
public:
    explicit ConnectDialog(QWidget* parent = nullptr,
                           PortDiscovery discovery = PortDiscovery::system(),
                           const QString& lastPort = QString());
    ~ConnectDialog() override;

    QString portName() const;

public slots:
    void onUpdatePortList();

private:
    void fillPortList();
    void showConverterPort();
    void updateOkButton();
    void fitToContents();

    Ui::ConnectDialog* ui;
    PortDiscovery discovery;
};
