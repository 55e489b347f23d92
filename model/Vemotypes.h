#pragma once
// Short names for the geometry types the model uses everywhere, and the shared
// layer handle: a layer lives as long as the list or any object still holds it.

#include <memory>

#include "geom/Graphicspath.h"
#include "geom/Matrix.h"
#include "geom/Pen.h"
#include "geom/Pointf.h"

using PointF = geom::PointF;
using RectF = geom::RectF;
using Matrix = geom::Matrix;
using GraphicsPath = geom::GraphicsPath;
using Pen = geom::Pen;
using Brush = geom::Brush;
using Argb = geom::Argb;

class TVemoLayer;
using TVemoLayerPtr = std::shared_ptr<TVemoLayer>;
