// Client start-up and shutdown: the settings reader and every engine module brought up in order,
// and taken down in reverse.
#pragma once

void ClientInit();
// Registers every module's settings table in start-up order (ClientInit does; tests too).
void ClientRegisterSettings();
// The reverse of ClientInit where the order matters: the modules that hold a device, a thread or
// an allocation let it go.
void ClientUnInit();
