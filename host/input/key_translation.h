// Translation of GLFW key values to the program's key codes.
#pragma once

// The key code of a GLFW key, or 0 for keys the program ignores.
int TranslateGlfwKey(int glfwKey);

// The character a key press or repeat also delivers (8, 9, 13, 27 as themselves, the navigation
// keys as 65536 + code, Delete as 127), or 0 when the key delivers none this way.
int KeyPressCharacter(int keyCode);
