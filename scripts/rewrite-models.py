#!/usr/bin/env python3
"""Rewrites the PP-OCR ONNX graphs into a form OpenCV 4.6's DNN importer runs.

Usage: rewrite-models.py ASSETS_DIR OUT_DIR WIDTH...

Writes OUT_DIR/det.onnx, OUT_DIR/cls.onnx, OUT_DIR/rec_<W>.onnx for every
width W (a multiple of 8) and OUT_DIR/keys.txt. The importer cannot take a
Clip's bounds as inputs, cannot evaluate Shape on a dynamic input, and does
not broadcast a one-dimensional operand over a [1, T, C] tensor, so:
- Clip nodes with constant bounds get them as attributes;
- the recognition graph is fixed to [1, 3, 48, W] and each Shape node is
  replaced by the constant it yields at that width;
- every one-dimensional constant operand of Mul/Add/Sub/Div (the layer-norm
  scales and shifts) is expanded to its full broadcast shape.
OpenCV 4.6 also runs 5x5 depthwise convolutions about 25 times slower than
3x3 ones, so each becomes four 3x3 depthwise convolutions over the kernel's
quarters (padded asymmetrically to read the same window) and their sum: the
same result to float rounding, about three times faster.
"""

import os
import shutil
import sys

import numpy as np
import onnx
from onnx import helper, mapping, numpy_helper, shape_inference

ELEMENTWISE = {"Mul", "Add", "Sub", "Div"}


def constants(graph):
    return {n.output[0]: n for n in graph.node if n.op_type == "Constant"}


def constant_value(node):
    return numpy_helper.to_array(node.attribute[0].t)


def clip_bounds_to_attributes(graph):
    known = constants(graph)
    count = 0
    for node in graph.node:
        if node.op_type != "Clip" or len(node.input) < 2:
            continue
        bounds = {}
        for name, key in zip(node.input[1:3], ("min", "max")):
            if not name:
                continue
            if name not in known:
                raise SystemExit(f"Clip {node.name}: bound {name} is not a constant")
            bounds[key] = float(constant_value(known[name]))
        del node.input[1:]
        for key, value in bounds.items():
            node.attribute.append(helper.make_attribute(key, value))
        count += 1
    return count


def fix_input(model, dims):
    shape = model.graph.input[0].type.tensor_type.shape
    for dim, value in zip(shape.dim, dims):
        dim.Clear()
        dim.dim_value = value


def inferred_shapes(model):
    inferred = shape_inference.infer_shapes(model, data_prop=True)
    shapes = {}
    for info in list(inferred.graph.value_info) + list(inferred.graph.input):
        dims = info.type.tensor_type.shape.dim
        if dims and all(d.HasField("dim_value") for d in dims):
            shapes[info.name] = [d.dim_value for d in dims]
    return shapes


def fold(node, inputs):
    """Evaluates the small integer ops that turn a shape into a Reshape target."""
    attrs = {a.name: helper.get_attribute_value(a) for a in node.attribute}
    if node.op_type == "Cast":
        return inputs[0].astype(mapping.TENSOR_TYPE_TO_NP_TYPE[attrs["to"]])
    if node.op_type == "Slice" and len(inputs) == 1:
        index = [slice(None)] * inputs[0].ndim
        for axis, start, end in zip(attrs["axes"], attrs["starts"], attrs["ends"]):
            index[axis] = slice(start, end)
        return inputs[0][tuple(index)]
    if node.op_type == "Concat":
        return np.concatenate(inputs, axis=attrs["axis"])
    return None


def fold_constants(graph):
    known = {name: constant_value(node) for name, node in constants(graph).items()}
    for index, node in enumerate(graph.node):
        if node.op_type == "Constant" or not all(i in known for i in node.input):
            continue
        value = fold(node, [known[i] for i in node.input])
        if value is None:
            continue
        value = np.asarray(value)
        known[node.output[0]] = value
        graph.node[index].CopyFrom(helper.make_node(
            "Constant", [], [node.output[0]],
            value=numpy_helper.from_array(value, node.output[0] + ".value")))


def shapes_to_constants(model):
    """Replaces Shape nodes by constants, one inference round at a time:
    each replacement, folded into its Reshape target, lets inference see
    past that Reshape."""
    graph = model.graph
    replaced = 0
    while True:
        fold_constants(graph)
        shapes = inferred_shapes(model)
        progress = False
        for index, node in enumerate(graph.node):
            if node.op_type != "Shape" or node.input[0] not in shapes:
                continue
            value = np.array(shapes[node.input[0]], dtype=np.int64)
            constant = helper.make_node(
                "Constant", [], [node.output[0]],
                value=numpy_helper.from_array(value, node.output[0] + ".value"))
            graph.node.remove(node)
            graph.node.insert(index, constant)
            replaced += 1
            progress = True
            break
        if not progress:
            break
    left = [n.name for n in graph.node if n.op_type == "Shape"]
    if left:
        raise SystemExit(f"Shape nodes left unresolved: {left}")
    return replaced


def broadcast_vector_operands(model):
    graph = model.graph
    shapes = inferred_shapes(model)
    known = constants(graph)
    count = 0
    for node in graph.node:
        if node.op_type not in ELEMENTWISE or len(node.input) != 2:
            continue
        for slot, other in ((0, 1), (1, 0)):
            name = node.input[slot]
            if name not in known or node.input[other] not in shapes:
                continue
            value = constant_value(known[name])
            target = shapes[node.input[other]]
            if value.ndim != 1 or value.size == 1 or len(target) < 2:
                continue
            full = np.ascontiguousarray(np.broadcast_to(value, target))
            new_name = f"{name}.broadcast.{count}"
            graph.node.insert(list(graph.node).index(node), helper.make_node(
                "Constant", [], [new_name],
                value=numpy_helper.from_array(full, new_name)))
            node.input[slot] = new_name
            count += 1
    return count


# Each quarter of a 5x5 kernel: its rows and columns, where they sit in a 3x3
# kernel, and the [top, left, bottom, right] padding that makes a 3x3
# convolution read the same input window.
QUARTERS = [((0, 3), (0, 3), (0, 0), [2, 2, 0, 0]), ((0, 3), (3, 5), (0, 1), [2, 0, 0, 2]),
            ((3, 5), (0, 3), (1, 0), [0, 2, 2, 0]), ((3, 5), (3, 5), (1, 1), [0, 0, 2, 2])]


def split_depthwise_5x5(graph):
    known = constants(graph)
    nodes = []
    count = 0
    for node in graph.node:
        attrs = {a.name: helper.get_attribute_value(a) for a in node.attribute}
        weights = constant_value(known[node.input[1]]) if node.op_type == "Conv" and node.input[1] in known else None
        if (weights is None or attrs.get("kernel_shape") != [5, 5] or attrs.get("pads") != [2, 2, 2, 2]
                or attrs.get("dilations", [1, 1]) != [1, 1] or weights.shape[1] != 1
                or attrs.get("group") != weights.shape[0]):
            nodes.append(node)
            continue
        channels = weights.shape[0]
        parts = []
        for index, (rows, cols, at, pads) in enumerate(QUARTERS):
            kernel = np.zeros((channels, 1, 3, 3), np.float32)
            kernel[:, :, at[0]:at[0] + rows[1] - rows[0], at[1]:at[1] + cols[1] - cols[0]] = \
                weights[:, :, rows[0]:rows[1], cols[0]:cols[1]]
            name = f"{node.output[0]}.quarter{index}"
            nodes.append(helper.make_node("Constant", [], [name + ".w"],
                                          value=numpy_helper.from_array(kernel, name + ".w")))
            inputs = [node.input[0], name + ".w"] + (list(node.input[2:3]) if index == 0 else [])
            nodes.append(helper.make_node("Conv", inputs, [name], group=channels, kernel_shape=[3, 3],
                                          pads=pads, strides=attrs.get("strides", [1, 1]),
                                          dilations=[1, 1]))
            parts.append(name)
        nodes.append(helper.make_node("Add", parts[0:2], [node.output[0] + ".top"]))
        nodes.append(helper.make_node("Add", parts[2:4], [node.output[0] + ".bottom"]))
        nodes.append(helper.make_node("Add", [node.output[0] + ".top", node.output[0] + ".bottom"],
                                      [node.output[0]]))
        count += 1
    del graph.node[:]
    graph.node.extend(nodes)
    return count


def rewrite_det(source, target):
    model = onnx.load(source)
    clips = clip_bounds_to_attributes(model.graph)
    split = split_depthwise_5x5(model.graph)
    onnx.save(model, target)
    print(f"det: {clips} Clip nodes given attribute bounds, {split} 5x5 depthwise convolutions split")


def rewrite_cls(source, target):
    model = onnx.load(source)
    fix_input(model, [1, 3, 48, 192])
    shapes = shapes_to_constants(model)
    split = split_depthwise_5x5(model.graph)
    onnx.save(model, target)
    print(f"cls: {shapes} Shape nodes made constant, {split} 5x5 depthwise convolutions split")


def rewrite_rec(source, target, width):
    model = onnx.load(source)
    fix_input(model, [1, 3, 48, width])
    shapes = shapes_to_constants(model)
    vectors = broadcast_vector_operands(model)
    split = split_depthwise_5x5(model.graph)
    onnx.save(model, target)
    print(f"rec {width}: {shapes} Shape nodes made constant, {vectors} operands broadcast, "
          f"{split} 5x5 depthwise convolutions split")


def main(argv):
    if len(argv) < 4:
        raise SystemExit(__doc__)
    assets, out = argv[1], argv[2]
    widths = [int(w) for w in argv[3:]]
    if any(w <= 0 or w % 8 for w in widths):
        raise SystemExit("widths must be positive multiples of 8")
    os.makedirs(out, exist_ok=True)
    rewrite_det(os.path.join(assets, "ch_PP-OCRv4_det_infer.onnx"), os.path.join(out, "det.onnx"))
    rewrite_cls(os.path.join(assets, "ch_ppocr_mobile_v2.0_cls_infer.onnx"),
                os.path.join(out, "cls.onnx"))
    for width in widths:
        rewrite_rec(os.path.join(assets, "ch_PP-OCRv4_rec_infer.onnx"),
                    os.path.join(out, f"rec_{width}.onnx"), width)
    shutil.copyfile(os.path.join(assets, "ppocr_keys_v1.txt"), os.path.join(out, "keys.txt"))


if __name__ == "__main__":
    main(sys.argv)
