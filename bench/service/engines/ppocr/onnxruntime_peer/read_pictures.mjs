// Reads pictures with @gutenye/ocr-node for the PP-OCR benchmark, warm, in
// one process: one picture path per line on stdin, one answer per line on
// stdout: the milliseconds the read took, a tab, and the lines as JSON.
//
// Usage: node read_pictures.mjs INSTALL_DIR   (the folder holding node_modules)

import path from 'node:path'
import readline from 'node:readline'
import { pathToFileURL } from 'node:url'

const installed = process.argv[2]
if (!installed) {
  console.error('usage: node read_pictures.mjs INSTALL_DIR')
  process.exit(2)
}
const entry = path.join(installed, 'node_modules/@gutenye/ocr-node/build/index.js')
const { default: Ocr } = await import(pathToFileURL(entry).href)
const ocr = await Ocr.create()
console.log('ready')

for await (const picture of readline.createInterface({ input: process.stdin })) {
  const start = performance.now()
  const lines = await ocr.detect(picture)
  const milliseconds = performance.now() - start
  console.log(`${milliseconds}\t${JSON.stringify(lines.map((line) => line.text))}`)
}
