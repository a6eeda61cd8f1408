/* Resource numbers the programs' .rc files and their code share. */
#ifndef Z917_PROGRAM_RESOURCES_H
#define Z917_PROGRAM_RESOURCES_H

/* The program icon: the lowest number, so Explorer shows it for the .exe. */
#define Z917_IDI_PROGRAM 1

#endif
