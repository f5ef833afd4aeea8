// A dialog of the run-dialog-like test template, with a member for every kind of exchange
// (in the order they are exchanged) and counters of its command handlers.
#pragma once

#include "TestResources.h"

#include "platform/DataExchange.h"
#include "platform/Dialog.h"

#include <string>

class RunTestDialog : public CDialog
{
public:
    explicit RunTestDialog(CWnd* parent = nullptr) : CDialog(TestIds::RunDialog, parent)
    {
        MapCommand(TestIds::Run, &RunTestDialog::OnRun);
        MapCommand(TestIds::Hydrodynamics, &RunTestDialog::OnHydrodynamics);
        MapControl(CBN_SELCHANGE, TestIds::Interval, &RunTestDialog::OnIntervalChanged);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Text(pDX, TestIds::PresentTime, present);
        DDX_Text(pDX, TestIds::FinalTime, final);
        DDX_Text(pDX, TestIds::TimeStep, step);
        DDX_Text(pDX, TestIds::Theta, theta);
        DDX_Text(pDX, TestIds::MaxIterations, iterations);
        DDX_Check(pDX, TestIds::Hydrodynamics, hydrodynamics);
        DDX_Radio(pDX, TestIds::ParameterChart, chartKind);
        DDX_CBIndex(pDX, TestIds::Interval, interval);
        DDX_Text(pDX, TestIds::OutputPath, path);
    }
    void OnRun() { ++runs; }
    void OnHydrodynamics() { ++hydrodynamicsClicks; }
    void OnIntervalChanged() { ++intervalChanges; }

    double present = 1.0;
    double final = 24.0;
    double step = 0.25;
    double theta = 0.6;
    int iterations = 20;
    int hydrodynamics = 0;  // unticked
    int chartKind = -1;     // no radio
    int interval = -1;      // no list item
    std::string path;
    int runs = 0;
    int hydrodynamicsClicks = 0;
    int intervalChanges = 0;
};
