// SPDX-License-Identifier: MIT
#pragma once
// The laboratory's settings panel: the pushes, the load, the noise, the arm,
// the reference programme and the controllers, each a field or a list. A
// field is checked when the user leaves it (Return or the focus moving on)
// with its range check's Spanish message; a refused value is put back as it
// was and nothing changes. An accepted one is handed to Cambiar as a whole
// new set of settings; the owner applies it and shows the settings in force
// again with Mostrar.

#include "core/run/AjustesExperimento.h"
#include "core/numbers/NumberText.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace nc {

class TLabAjustes : public QWidget {
public:
    TLabAjustes(NumberFormat formato, QWidget* parent);

    // These settings become the ones in force: each field whose setting
    // changed shows its new value, and a field whose setting stayed keeps
    // its text, so that a change made by a file while the user types in
    // another field leaves the typing alone.
    void Mostrar(const AjustesExperimento& ajustes);
    const AjustesExperimento& Actuales() const { return actuales_; }

    // A new set of settings, checked field by field; may throw to refuse it.
    std::function<void(const AjustesExperimento&)> Cambiar;
    // "← Empujar" (-1) and "Empujar →" (+1).
    std::function<void(int)> Empujar;

    QPushButton* EmpujarIzquierda;
    QPushButton* EmpujarDerecha;
    QLineEdit* Empujon;
    QLineEdit* Carga;
    QLineEdit* RuidoPosicion;
    QLineEdit* RuidoVelocidad;
    QLineEdit* Semilla;
    QLineEdit* AnguloInicial;
    QLineEdit* VelocidadInicial;
    QLineEdit* Amortiguamiento;
    QLineEdit* Gravedad;
    QComboBox* PresetGravedad;
    QLineEdit* FuerzaMaxima;
    QComboBox* TipoReferencia;
    QLineEdit* Escalones;
    QLineEdit* Amplitud;
    QLineEdit* Desplazamiento;
    QLineEdit* Periodo;
    QLineEdit* Pendiente;
    QComboBox* Controlador;
    QComboBox* Comparar;
    QLineEdit* Kp; // the controller's PID
    QLineEdit* Ki;
    QLineEdit* Kd;
    QLineEdit* KpGemelo; // the twin's own
    QLineEdit* KiGemelo;
    QLineEdit* KdGemelo;

private:
    using Lector = std::function<void(const QString& texto, AjustesExperimento& ajustes)>;
    using Escritor = std::function<QString(const AjustesExperimento& ajustes)>;
    // A field, with its tooltip: what it means and its unit.
    QLineEdit* Campo(const char* nombre, Lector leer, Escritor escribir, const char* ayuda);
    // Reads one change into a copy of the settings in force and hands it on;
    // a refusal restores every field first.
    void Proponer(const std::function<void(AjustesExperimento&)>& cambio);
    QString Texto(double valor) const;
    double Numero(const QString& texto, const std::function<void(double)>& comprobar) const;
    std::string NoNumero(const std::string& texto) const; // what is wrong with a text that is no number
    // Every field (or only those whose text differs from what `antes` gave).
    void MostrarCampos(const AjustesExperimento* antes = nullptr);

    NumberFormat formato_;
    AjustesExperimento actuales_;
    struct Enlace {
        QLineEdit* edit;
        Escritor escribir;
    };
    std::vector<Enlace> campos_;
};

} // namespace nc
