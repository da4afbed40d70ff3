// SPDX-License-Identifier: GPL-3.0-or-later
// The smallest event source: on(name, handler) and emit(name, ...values).

export class Emitter {
  #handlers = new Map();

  on(name, handler) {
    if (!this.#handlers.has(name)) this.#handlers.set(name, []);
    this.#handlers.get(name).push(handler);
    return this;
  }

  emit(name, ...values) {
    for (const handler of this.#handlers.get(name) ?? []) handler(...values);
  }
}
