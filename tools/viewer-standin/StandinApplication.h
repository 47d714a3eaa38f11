#pragma once

#include <QCoreApplication>
#include <memory>

// The stand-in's application object: with --headless a core application, which needs no
// display at all; otherwise one that can show the stand-in's window.
std::unique_ptr<QCoreApplication> MakeStandinApplication(int& argc, char** argv);
