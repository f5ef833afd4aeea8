// The HEC-RAS Geometry File Converter dialog's template: the geometry file and its system of
// units, the initial depth and discharge, and the name of the model file to write.
#pragma once

// Registers the template (IDD_HECRAS_CONVERT); later calls do nothing.
void RegisterHECRASConvertDialog();
