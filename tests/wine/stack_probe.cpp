#include "tests/wine/stack_probe.h"

// ebx, esi and edi are callee-saved in every i386 convention, so they carry
// the argument pointer, the count and the saved stack pointer across the call.
asm(".text\n"
    ".globl _CallAndMeasure\n"
    "_CallAndMeasure:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 12(%ebp), %esi\n"   // args
    "  movl 16(%ebp), %ebx\n"   // count
    "  movl %esp, %edi\n"       // the stack pointer before the arguments
    "1:\n"
    "  testl %ebx, %ebx\n"
    "  jz 2f\n"
    "  decl %ebx\n"
    "  pushl (%esi,%ebx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *8(%ebp)\n"
    "  movl %esp, %ecx\n"
    "  subl %edi, %ecx\n"       // 0 when the callee removed its arguments
    "  negl %ecx\n"
    "  movl 20(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  movl %edi, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");
