#!/usr/bin/env python3
"""Rewrites the PP-OCR ONNX graphs into a form OpenCV 4.6's DNN importer runs.

Usage: rewrite-models.py ASSETS_DIR OUT_DIR

Writes OUT_DIR/det.onnx, OUT_DIR/cls.onnx, OUT_DIR/rec.onnx and
OUT_DIR/keys.txt. The importer cannot take a Clip's bounds as inputs, cannot
evaluate Shape on a dynamic input, and does not broadcast a one-dimensional
operand over a [1, T, C] tensor, so:
- Clip nodes with constant bounds get them as attributes;
- the recognition graph is imported at a nominal width and each Shape node is
  replaced by the constant it yields there;
- one network then reads lines of any width (T = width / 8 steps): every
  Reshape target and every Squeeze (which the importer bakes into a fixed
  shape) leaves the step axis free as -1; each ReduceMean over the channels
  becomes a product with a column of 1/C; each one-dimensional constant
  operand of Mul/Add (layer-norm scales and shifts, linear biases) applies to
  the [T, C] view of its input, where the importer broadcasts it per channel.
The recognition graph's closing softmax goes: greedy decoding needs only each
step's best class, and the decoder works out the probability of the few steps
that emit a character (a softmax over 6,625 classes at every step cost a tenth
of the network's time).
The detection head's transposed convolutions take in the per-channel Add,
BatchNormalization and Add that follow them as weights and bias: OpenCV fuses
those itself, but applies the bias again each time the input size changes.
In all three graphs, each hard-swish with the affine steps around it
(x + b, hardswish, * s, + b') becomes one AffineHardSwish node, a layer the
engine registers: OpenCV makes a pass over the tensor per node, and those
passes cost as much as the convolutions (about a fifth of the time saved).
Each 5x5 depthwise convolution becomes a DepthwiseConv5x5 node, another of
those layers: OpenCV 4.6 runs them about 25 times slower than 3x3 ones.
In the detection graph, each product of a tensor with its channels' gates (a
hard-sigmoid over [N, C, 1, 1]), with the sum that adds the tensor back, becomes
a ChannelGate node: the importer, which knows no shapes there, makes such a
product an element-wise layer that broadcasts pixel by pixel, a third of the
detector's time.
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


# A width whose step count (127) no other dimension of the graph takes, so
# that the steps can be told apart in the shapes inferred there.
NOMINAL_WIDTH = 1016
NOMINAL_STEPS = NOMINAL_WIDTH // 8


def constant_node(name, value):
    return helper.make_node("Constant", [], [name], value=numpy_helper.from_array(value, name))


def replace_nodes(graph, rewrite):
    """Rebuilds the graph with rewrite(node) -> list of nodes, or None to keep it."""
    nodes, count = [], 0
    for node in graph.node:
        new = rewrite(node)
        if new is None:
            nodes.append(node)
        else:
            nodes.extend(new)
            count += 1
    del graph.node[:]
    graph.node.extend(nodes)
    return count


def free_steps(target, where):
    target = np.array(target, np.int64)
    if np.count_nonzero(target == NOMINAL_STEPS) != 1 or np.count_nonzero(target == -1):
        raise SystemExit(f"{where}: cannot free the step axis of {target.tolist()}")
    target[target == NOMINAL_STEPS] = -1
    return target


def means_as_products(model):
    shapes = inferred_shapes(model)

    def rewrite(node):
        attrs = {a.name: helper.get_attribute_value(a) for a in node.attribute}
        if node.op_type != "ReduceMean" or attrs.get("axes") != [-1] or attrs.get("keepdims", 1) != 1:
            return None
        channels = shapes[node.input[0]][-1]
        column = node.output[0] + ".column"
        return [constant_node(column, np.full((channels, 1), 1.0 / channels, np.float32)),
                helper.make_node("MatMul", [node.input[0], column], [node.output[0]])]
    return replace_nodes(model.graph, rewrite)


def squeezes_as_reshapes(model):
    shapes = inferred_shapes(model)

    def rewrite(node):
        if node.op_type not in ("Squeeze", "Unsqueeze"):
            return None
        target = node.output[0] + ".target"
        return [constant_node(target, free_steps(shapes[node.output[0]], node.name)),
                helper.make_node("Reshape", [node.input[0], target], [node.output[0]])]
    return replace_nodes(model.graph, rewrite)


def vector_operands_per_channel(model):
    shapes = inferred_shapes(model)
    known = constants(model.graph)

    def rewrite(node):
        if node.op_type not in ("Mul", "Add") or len(node.input) != 2:
            return None
        for slot in (0, 1):
            vector, tensor = node.input[slot], node.input[1 - slot]
            if vector not in known or tensor not in shapes or len(shapes[tensor]) != 3:
                continue
            value = constant_value(known[vector])
            if value.ndim != 1 or value.size == 1:
                continue
            rows, back = node.output[0] + ".rows", node.output[0] + ".back"
            return [constant_node(rows + ".shape", np.array([-1, value.size], np.int64)),
                    helper.make_node("Reshape", [tensor, rows + ".shape"], [rows]),
                    helper.make_node(node.op_type, [rows, vector], [rows + ".out"]),
                    constant_node(back + ".shape", np.array([1, -1, value.size], np.int64)),
                    helper.make_node("Reshape", [rows + ".out", back + ".shape"], [node.output[0]])]
        return None
    return replace_nodes(model.graph, rewrite)


def reshapes_free_steps(graph):
    known = constants(graph)
    count = 0
    for node in graph.node:
        if node.op_type != "Reshape" or node.input[1] not in known:
            continue
        value = constant_value(known[node.input[1]])
        if NOMINAL_STEPS not in value:
            continue
        known[node.input[1]].CopyFrom(constant_node(node.input[1], free_steps(value, node.name)))
        count += 1
    return count


def depthwise_5x5_as_layers(graph):
    known = constants(graph)

    def rewrite(node):
        attrs = {a.name: helper.get_attribute_value(a) for a in node.attribute}
        if node.op_type != "Conv" or node.input[1] not in known:
            return None
        weights = constant_value(known[node.input[1]])
        if (attrs.get("kernel_shape") != [5, 5] or attrs.get("pads") != [2, 2, 2, 2]
                or attrs.get("dilations", [1, 1]) != [1, 1] or weights.shape[1] != 1
                or attrs.get("group") != weights.shape[0]):
            return None
        bias = (constant_value(known[node.input[2]]) if len(node.input) > 2
                else np.zeros(weights.shape[0], np.float32))
        names = [node.output[0] + ".weights", node.output[0] + ".bias"]
        strides = attrs.get("strides", [1, 1])
        return [constant_node(names[0], weights.astype(np.float32)),
                constant_node(names[1], bias.astype(np.float32)),
                helper.make_node("DepthwiseConv5x5", [node.input[0]] + names, [node.output[0]],
                                 stride_h=strides[0], stride_w=strides[1])]
    return replace_nodes(graph, rewrite)


def drop_final_softmax(graph):
    last = graph.node[-1]
    if last.op_type != "Softmax" or graph.output[0].name != last.output[0]:
        raise SystemExit("the recognition graph does not end in its softmax")
    graph.output[0].name = last.input[0]
    graph.node.remove(last)


def fold_into_transposed_convolutions(graph):
    known = constants(graph)
    consumers = {}
    for node in graph.node:
        for name in node.input:
            consumers.setdefault(name, []).append(node)
    folded = 0
    for conv in [n for n in graph.node if n.op_type == "ConvTranspose"]:
        weights = constant_value(known[conv.input[1]]).copy()  # [C_in, C_out, kH, kW]
        outputs = weights.shape[1]
        bias = (constant_value(known[conv.input[2]]).copy() if len(conv.input) > 2
                else np.zeros(outputs, np.float32))
        while len(consumers.get(conv.output[0], [])) == 1:
            node = consumers[conv.output[0]][0]
            operands = [constant_value(known[i]) for i in node.input[1:] if i in known]
            if node.op_type == "Add" and node.input[0] == conv.output[0] and len(operands) == 1:
                bias = bias + np.broadcast_to(operands[0].reshape(-1), outputs)
            elif node.op_type == "BatchNormalization" and len(operands) == 4:
                scale, shift, mean, variance = operands
                epsilon = next((helper.get_attribute_value(a) for a in node.attribute
                                if a.name == "epsilon"), 1e-5)
                factor = scale / np.sqrt(variance + epsilon)
                weights = weights * factor.reshape(1, -1, 1, 1)
                bias = (bias - mean) * factor + shift
            else:
                break
            conv.output[0] = node.output[0]
            graph.node.remove(node)
            folded += 1
        names = [conv.output[0] + ".w", conv.output[0] + ".b"]
        graph.node.insert(0, constant_node(names[0], weights.astype(np.float32)))
        graph.node.insert(0, constant_node(names[1], bias.astype(np.float32)))
        del conv.input[1:]
        conv.input.extend(names)
    return folded


def fuse_affine_hardswish(graph):
    known = constants(graph)
    consumers, producer = {}, {}
    for node in graph.node:
        producer[node.output[0]] = node
        for name in node.input:
            consumers.setdefault(name, []).append(node)

    def scalar(name):
        value = constant_value(known[name]) if name in known else None
        return float(value.ravel()[0]) if value is not None and value.size == 1 else None

    def only(name, op_type):
        users = consumers.get(name, [])
        return users[0] if len(users) == 1 and users[0].op_type == op_type else None

    fused = 0
    for plus3 in [n for n in graph.node if n.op_type == "Add"]:
        x = plus3.input[0]
        clip = only(plus3.output[0], "Clip")
        product = clip and only(clip.output[0], "Mul")
        sixth = product and only(product.output[0], "Div")
        if (len(plus3.input) != 2 or scalar(plus3.input[1]) != 3.0 or not sixth
                or set(product.input) != {x, clip.output[0]} or scalar(sixth.input[1]) != 6.0):
            continue
        removed = [plus3, clip, product, sixth]
        source, shift = x, 0.0
        before = producer.get(x)
        if (before is not None and before.op_type == "Add" and len(consumers[x]) == 2
                and scalar(before.input[1]) is not None):
            source, shift = before.input[0], scalar(before.input[1])
            removed.append(before)
        output, scale_after, shift_after = sixth.output[0], 1.0, 0.0
        times = only(output, "Mul")
        factor = times and next((i for i in times.input if i != output), None)
        plus = times and only(times.output[0], "Add")
        if (times and scalar(factor) is not None and plus and plus.input[0] == times.output[0]
                and scalar(plus.input[1]) is not None):
            output, scale_after, shift_after = plus.output[0], scalar(factor), scalar(plus.input[1])
            removed += [times, plus]
        graph.node.insert(list(graph.node).index(sixth), helper.make_node(
            "AffineHardSwish", [source], [output],
            shift=shift, scale_after=scale_after, shift_after=shift_after))
        for node in removed:
            graph.node.remove(node)
        fused += 1
    return fused


def gates_as_layers(graph):
    """x * hardsigmoid(...) over [N, C, 1, 1], and x + that, become ChannelGate nodes."""
    producer, consumers = {}, {}
    for node in graph.node:
        producer[node.output[0]] = node
        for name in node.input:
            consumers.setdefault(name, []).append(node)
    gated = 0
    for product in [n for n in graph.node if n.op_type == "Mul" and len(n.input) == 2]:
        gate = producer.get(product.input[1])
        if gate is None or gate.op_type != "HardSigmoid":
            continue
        x, output, residual = product.input[0], product.output[0], 0
        removed = [product]
        users = consumers.get(output, [])
        if (len(users) == 1 and users[0].op_type == "Add"
                and sorted(users[0].input) == sorted([x, output])):
            output, residual = users[0].output[0], 1
            removed.append(users[0])
        graph.node.insert(list(graph.node).index(product), helper.make_node(
            "ChannelGate", [x, product.input[1]], [output], residual=residual))
        for node in removed:
            graph.node.remove(node)
        gated += 1
    return gated


def rewrite_det(source, target):
    model = onnx.load(source)
    clips = clip_bounds_to_attributes(model.graph)
    folded = fold_into_transposed_convolutions(model.graph)
    fused = fuse_affine_hardswish(model.graph)
    depthwise = depthwise_5x5_as_layers(model.graph)
    gates = gates_as_layers(model.graph)
    onnx.save(model, target)
    print(f"det: {clips} Clip nodes given attribute bounds, {folded} nodes folded into "
          f"transposed convolutions, {fused} hard-swishes fused, "
          f"{depthwise} 5x5 depthwise convolutions made layers, {gates} channel gates made layers")


def rewrite_cls(source, target):
    model = onnx.load(source)
    fix_input(model, [1, 3, 48, 192])
    shapes = shapes_to_constants(model)
    fused = fuse_affine_hardswish(model.graph)
    depthwise = depthwise_5x5_as_layers(model.graph)
    onnx.save(model, target)
    print(f"cls: {shapes} Shape nodes made constant, {fused} hard-swishes fused, "
          f"{depthwise} 5x5 depthwise convolutions made layers")


def rewrite_rec(source, target):
    model = onnx.load(source)
    fix_input(model, [1, 3, 48, NOMINAL_WIDTH])
    drop_final_softmax(model.graph)
    shapes = shapes_to_constants(model)
    fold_constants(model.graph)
    means = means_as_products(model)
    squeezes = squeezes_as_reshapes(model)
    vectors = vector_operands_per_channel(model)
    freed = reshapes_free_steps(model.graph)
    fused = fuse_affine_hardswish(model.graph)
    depthwise = depthwise_5x5_as_layers(model.graph)
    onnx.save(model, target)
    print(f"rec: {shapes} Shape nodes made constant, {means} means made products, "
          f"{squeezes} squeezes made reshapes, {vectors} operands applied per channel, "
          f"{freed} reshapes freed, {fused} hard-swishes fused, "
          f"{depthwise} 5x5 depthwise convolutions made layers")


def main(argv):
    if len(argv) != 3:
        raise SystemExit(__doc__)
    assets, out = argv[1], argv[2]
    os.makedirs(out, exist_ok=True)
    rewrite_det(os.path.join(assets, "ch_PP-OCRv4_det_infer.onnx"), os.path.join(out, "det.onnx"))
    rewrite_cls(os.path.join(assets, "ch_ppocr_mobile_v2.0_cls_infer.onnx"),
                os.path.join(out, "cls.onnx"))
    rewrite_rec(os.path.join(assets, "ch_PP-OCRv4_rec_infer.onnx"), os.path.join(out, "rec.onnx"))
    shutil.copyfile(os.path.join(assets, "ppocr_keys_v1.txt"), os.path.join(out, "keys.txt"))


if __name__ == "__main__":
    main(sys.argv)
