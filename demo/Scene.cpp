#include "demo/Scene.h"

Scene::~Scene() = default;
