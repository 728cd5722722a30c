#include "PlatformHelp.h"

constinit const PlatformHelp ThisPlatformHelp = {
    "vypíše sériové porty počítače a odkazy ve složce ports/",
    "U každého portu zařízení, popis, u USB výrobce, identifikátory a sériové číslo a stálou\n"
    "cestu v /dev/serial/by-id; pak odkazy comN, usb a pci ze složky ports/ a kam vedou.",
    "udělá ve složce ports/ odkaz NÁZEV na sériový port CESTA",
    "NÁZEV je com1 až com255, usb nebo pci; CESTA sériový port, nejlépe stálá cesta\n"
    "z /dev/serial/by-id, nebo pseudoterminál serkon-sim. Stávající odkaz nahradí.",
    "profil, protokol, SERKON.ini nebo odkaz ve složce ports/ nelze zapsat;\n"
    "     scan --store našel více modulů\n",
    nullptr,
};
