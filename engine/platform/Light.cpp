#include "platform/Light.h"

Light::Light() : D3DLIGHT8{} {
    Type = D3DLIGHT_DIRECTIONAL;
    Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    Direction = {0.0f, 0.0f, 1.0f};
}

void Light::SetType(D3DLIGHTTYPE type) {
    Type = type;
}
void Light::SetDiffuse(float r, float g, float b, float a) {
    Diffuse = {r, g, b, a};
}
void Light::SetSpecular(float r, float g, float b, float a) {
    Specular = {r, g, b, a};
}
void Light::SetAmbient(float r, float g, float b, float a) {
    Ambient = {r, g, b, a};
}
void Light::SetPosition(float x, float y, float z) {
    Position = {x, y, z};
}
void Light::SetDirection(float x, float y, float z) {
    Direction = {x, y, z};
}
void Light::SetRange(float range) {
    Range = range;
}
void Light::SetFalloff(float falloff) {
    Falloff = falloff;
}

void Light::SetAttenuation(float a0, float a1, float a2) {
    Attenuation0 = a0;
    Attenuation1 = a1;
    Attenuation2 = a2;
}

void Light::SetTheta(float theta) {
    Theta = theta;
}
void Light::SetPhi(float phi) {
    Phi = phi;
}
