// What the executor is built from: the engines it owns, the disk enumeration it
// shares, and how it reaches the modules it loads by name. Tests hand in doubles.
#pragma once

class IKSBackup;
class IKSRestore;
class IKSCheck;
class IKSMount;
class ICensa;
class IVessmarModule;
class ITilloryModule;

struct OrdwellEngines {
    IKSBackup* backup = nullptr;   // owned
    ICensa* censa = nullptr;       // the process's one object, never released here
    IKSRestore* restore = nullptr; // owned
    IKSCheck* check = nullptr;     // owned
    IKSMount* mount = nullptr;     // owned
};

struct OrdwellModules {
    IVessmarModule* (*openVessmar)() = nullptr;
    ITilloryModule* (*openTillory)() = nullptr;
};

// The engines made by their factories (each once, version 0); a failed factory
// leaves its pointer null.
OrdwellEngines CreateOrdwellEngines();
// "Vessmar.mo" and "Tillory.mo" through the module-object layer, opened afresh per call.
OrdwellModules DefaultOrdwellModules();
