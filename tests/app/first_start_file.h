// The settings file a first start writes from scratch, byte for byte; the
// settings layer's tests and the window's tests both expect it.
#pragma once

#include <string>

inline const std::string FirstStartFile = "[SETTINGS]\r\n"
                                          "COM-Port=5\r\n"
                                          "Buffersize=255\r\n"
                                          "Zeige_Zeit=0\r\n"
                                          "Zeige_bin=0\r\n"
                                          "Zeige_Schaltbefehle=0\r\n"
                                          "Nur_ON=0\r\n"
                                          "Zeige_Lokbefehle_S=0\r\n"
                                          "Zeige_Lokbefehle_F=0\r\n"
                                          "Zeige_RailCom=0\r\n"
                                          "Zeige_Idle=0\r\n"
                                          "Zeige_Sonstiges=0\r\n"
                                          "Zeige_CV=0\r\n"
                                          "Only_Once=0\r\n"
                                          "MM=0\r\n"
                                          "DCC=0\r\n"
                                          "\r\n"
                                          "[FILTER]\r\n"
                                          "FILTER=0\r\n"
                                          "Min=0\r\n"
                                          "Max=9999\r\n"
                                          "\r\n"
                                          "[Window]\r\n"
                                          "Width=1000\r\n"
                                          "Top=10\r\n"
                                          "Left=10\r\n"
                                          "\r\n";
