#pragma once
// The product's version, for the version resources of every program and for
// the installer. Change it here only.
#define QM_VERSION_MAJOR 2
#define QM_VERSION_MINOR 6
#define QM_VERSION_PATCH 0
#define QM_VERSION_BUILD 629
#define QM_VERSION_TEXT "2.6.0.629"
#define QM_COMPANY "Quellmark"
#define QM_COPYRIGHT "Copyright (C) Quellmark"
