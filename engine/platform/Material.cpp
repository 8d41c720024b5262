#include "platform/Material.h"

Material::Material() : D3DMATERIAL8{} {
    Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
}

void Material::SetDiffuse(float r, float g, float b, float a) {
    Diffuse = {r, g, b, a};
}
void Material::SetAmbient(float r, float g, float b, float a) {
    Ambient = {r, g, b, a};
}
void Material::SetSpecular(float r, float g, float b, float a) {
    Specular = {r, g, b, a};
}
void Material::SetEmissive(float r, float g, float b, float a) {
    Emissive = {r, g, b, a};
}
void Material::SetPower(float power) {
    Power = power;
}
